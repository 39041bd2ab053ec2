// The simulated desktop's message queue: messages for the program, a
// person's input waiting its turn among them, and the quit message behind
// everything else.
#pragma once

#include <deque>
#include <functional>
#include <variant>

#include "platform/window_system.h"

namespace platform::sim {

class MessageQueue {
 public:
  // Input a person made: delivered (the controls change and report it)
  // when the queue reaches it, as a real desktop hands input to a window
  // only when its program takes it from the queue.
  using Input = std::function<void()>;

  void Post(const Message& message) { entries_.emplace_back(message); }
  void PostInput(Input input) { entries_.emplace_back(std::move(input)); }
  void PostQuit(int code) {
    quit_posted_ = true;
    quit_code_ = code;
  }

  enum class Next { kNothing, kMessage, kInput, kQuit };
  // Takes the next entry into *message or *input; the quit comes only when
  // nothing else is queued, and is taken once.
  Next Take(Message* message, Input* input);
  bool empty() const { return entries_.empty() && !quit_posted_; }
  int quit_code() const { return quit_code_; }

 private:
  std::deque<std::variant<Message, Input>> entries_;
  bool quit_posted_ = false;
  int quit_code_ = 0;
};

}  // namespace platform::sim

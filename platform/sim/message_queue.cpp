#include "platform/sim/message_queue.h"

namespace platform::sim {

MessageQueue::Next MessageQueue::Take(Message* message, Input* input) {
  if (!entries_.empty()) {
    std::variant<Message, Input> entry = std::move(entries_.front());
    entries_.pop_front();
    if (Message* posted = std::get_if<Message>(&entry)) {
      *message = *posted;
      return Next::kMessage;
    }
    *input = std::move(std::get<Input>(entry));
    return Next::kInput;
  }
  if (quit_posted_) {
    quit_posted_ = false;
    return Next::kQuit;
  }
  return Next::kNothing;
}

}  // namespace platform::sim

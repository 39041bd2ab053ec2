// Running qkdb in-process: a console of strings (scripted input lines, a
// terminal or not, the prompts shown) and a temporary folder with the
// notebook's database in it.
#pragma once

#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tools/qkdb/cli.h"
#include "tools/qkdb/console.h"

namespace qkdbtest {

// A UTF-8 literal as the std::string qkdb takes its arguments in (plain
// literals are GBK in this tree).
inline std::string U8(const char8_t* text) { return std::string(reinterpret_cast<const char*>(text)); }

class FakeConsole final : public qkdb::Console {
 public:
  explicit FakeConsole(std::vector<std::string> input = {}, bool terminal = false)
      : input_(input.begin(), input.end()), terminal_(terminal) {}

  void Out(std::string_view bytes) override { out.append(bytes); }
  void Err(std::string_view bytes) override { err.append(bytes); }
  bool ReadLine(qkdb::SecretText* line) override {
    line->Wipe();
    if (input_.empty()) return false;
    *line = qkdb::SecretText(input_.front());
    input_.pop_front();
    return true;
  }
  bool InputIsTerminal() override { return terminal_; }
  bool AskHidden(std::string_view prompt, qkdb::SecretText* answer) override {
    prompts.emplace_back(prompt);
    return terminal_ && ReadLine(answer);
  }

  std::string out, err;
  std::vector<std::string> prompts;
  std::size_t unread() const { return input_.size(); }

 private:
  std::deque<std::string> input_;
  bool terminal_;
};

struct Outcome {
  int code = -1;
  std::string out, err;
  std::vector<std::string> prompts;
};

// Runs qkdb with the arguments and the lines of standard input.
inline Outcome Qkdb(const std::vector<std::string>& args, const std::vector<std::string>& input = {},
                    bool terminal = false) {
  FakeConsole console(input, terminal);
  Outcome outcome;
  outcome.code = qkdb::Run(args, console);
  outcome.out = console.out;
  outcome.err = console.err;
  outcome.prompts = console.prompts;
  return outcome;
}

// The notebook's seven fields, as `qkdb create` takes them.
inline std::vector<std::string> NotebookFields() {
  return {"id:3", "WebName:10:512", "WebUrl:10:512", "UserName:10:512", "PassWord:10:512", "Remarks:10:512", "Time:8"};
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh folder holding a notebook database (plain) at notebook().
class NotebookFolder {
 public:
  NotebookFolder() {
    std::vector<std::string> args = {"create", notebook()};
    for (const std::string& f : NotebookFields()) args.push_back(f);
    created_ = Qkdb(args).code == 0;
  }
  bool created() const { return created_; }
  std::string notebook() const { return folder_.File("user.vdb"); }
  std::string File(const std::string& name) const { return folder_.File(name); }

 private:
  qktest::TempFolder folder_;
  bool created_ = false;
};

}  // namespace qkdbtest

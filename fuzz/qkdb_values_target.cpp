// qkdb's parsers of command-line values. Dates and hexadecimal texts must
// survive a round trip through their output forms.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/field.h"
#include "fuzz/entries.h"
#include "fuzz/scratch.h"
#include "tools/qkdb/args.h"
#include "tools/qkdb/file_names.h"
#include "tools/qkdb/gbk_text.h"
#include "tools/qkdb/index_cmds.h"
#include "tools/qkdb/text_out.h"
#include "tools/qkdb/values.h"

namespace qkfuzz {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

void CheckDate(const std::string& text) {
  double days = 0;
  if (!qkdb::ParseDate(text, &days)) return;
  std::string shown = qkdb::DateText(days);
  double again = 0;
  if (!qkdb::ParseDate(shown, &again) || again != days) Fail("a parsed date does not read back from its text", text + " -> " + shown);
}

void CheckHex(const std::string& text) {
  std::string bytes;
  if (!qkdb::ParseHex(text, &bytes)) return;
  std::string lower = text;
  for (char& c : lower)
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  if (qkdb::Hex(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) != lower)
    Fail("hexadecimal does not read back", text);
}

}  // namespace

// The whole input is one value for every parser; its lines are also a
// command line for the option parsers.
int FuzzQkdbValues(const std::uint8_t* data, std::size_t size) {
  EnsureHost();
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string value = text.c_str();  // a command-line argument ends at NUL

  long long n = 0;
  qkdb::ParseInteger(value, &n);
  db::FieldSpec field_spec;
  qkdb::ParseFieldSpec(value, &field_spec);
  CheckDate(value);
  CheckHex(value);
  qkdb::JsonString(value);
  {
    qkdb::ParsedValues parsed;
    for (std::int32_t type = db::ftype::kByte; type <= db::ftype::kMemo; ++type) {
      db::FieldDesc field;
      field.type = type;
      field.text_size = type == db::ftype::kText ? 16 : 0;
      parsed.Add(field, value, type % 2 == 0);
    }
  }

  std::vector<std::string> args;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    args.push_back(std::string(text.substr(start, end - start).c_str()));
    start = end + 1;
  }
  std::string problem;
  qkdb::Invocation invocation;
  if (qkdb::ParseCommandLine(args, &invocation, &problem) && !invocation.operands.empty()) {
    qkdb::MakeIndexRequest request;
    qkdb::ParseMakeIndex(invocation.operands[0], invocation.values, &request, &problem);
  }
  for (const std::string& arg : args) {
    qkdb::ResolveIndex(arg, "fuzz.vdb");
    std::string gbk, refused;
    if (qkdb::ToGbkExactly(arg, &gbk, &refused)) {
      std::string back;
      if (!qkdb::FromGbkExactly(gbk, &back) || back != arg) Fail("a text converted exactly does not convert back", arg);
    }
  }
  return 0;
}

}  // namespace qkfuzz

#include "tools/qkdb/values.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "db/engine.h"
#include "platform/system.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "tools/qkdb/text_out.h"

namespace qkdb {
namespace {

// 'text' followed by the rest of a message. (Built by appending: GCC 12
// warns wrongly about "literal" + std::string at -O2.)
std::string Quoted(const std::string& text, const char* rest) {
  std::string out = "'";
  out += text;
  out += rest;
  return out;
}

}  // namespace

bool ParseInteger(const std::string& text, long long* n) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  *n = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

std::string ParseFieldSpec(const std::string& field_spec, db::FieldSpec* field) {
  std::string malformed = "field '";
  malformed += field_spec;
  malformed += "' is not NAME:TYPE[:SIZE]";
  std::size_t colon = field_spec.find(':');
  if (colon == std::string::npos) return malformed;
  std::size_t second = field_spec.find(':', colon + 1);
  long long type = 0, size = 0;
  if (!ParseInteger(field_spec.substr(colon + 1, second == std::string::npos ? std::string::npos : second - colon - 1), &type) ||
      (second != std::string::npos && !ParseInteger(field_spec.substr(second + 1), &size)) || type < INT32_MIN ||
      type > INT32_MAX || size < INT32_MIN || size > INT32_MAX)
    return malformed;
  field->name = platform::Utf8ToGbk(field_spec.substr(0, colon));
  if (field->name.empty()) return "field '" + field_spec + "' has no name";
  field->type = static_cast<std::int32_t>(type);
  field->size = static_cast<std::int32_t>(size);
  return std::string();
}

ParsedValues::~ParsedValues() {
  for (void* block : blocks_) rt::FreeMemory(block);
}

std::string ParsedValues::Add(const db::FieldDesc& f, const std::string& text_utf8) {
  rt::Value v;
  long long n = 0;
  switch (f.type) {
    case db::ftype::kByte:
    case db::ftype::kShort:
    case db::ftype::kInt:
    case db::ftype::kInt64:
    case db::ftype::kSubPtr:
      if (!ParseInteger(text_utf8, &n)) return Quoted(text_utf8, "' is not an integer");
      v = f.type == db::ftype::kSubPtr ? rt::Value{static_cast<std::uint32_t>(n), 0, rt::type::kSubPtr} : rt::Value::Int64(n);
      break;
    case db::ftype::kFloat:
    case db::ftype::kDouble: {
      char* end = nullptr;
      double d = std::strtod(text_utf8.c_str(), &end);
      if (text_utf8.empty() || *end != '\0') return Quoted(text_utf8, "' is not a number");
      v = rt::Value::Double(d);
      break;
    }
    case db::ftype::kBool:
      if (text_utf8 != "true" && text_utf8 != "false") return Quoted(text_utf8, "' is not true or false");
      v = rt::Value::Bool(text_utf8 == "true");
      break;
    case db::ftype::kDateTime: {
      double days = 0;
      if (text_utf8 == "now")
        days = db::LocalNowAsDateTime();
      else if (!ParseDate(text_utf8, &days))
        return Quoted(text_utf8, "' is not a date (YYYY-MM-DD[ HH:MM:SS] or now)");
      v = rt::Value::DateTime(days);
      break;
    }
    case db::ftype::kBytes: {
      std::string bytes;
      if (!ParseHex(text_utf8, &bytes)) return Quoted(text_utf8, "' is not hexadecimal");
      void* block = rt::MakeBytes(bytes.data(), static_cast<std::int64_t>(bytes.size()));
      if (block != nullptr) blocks_.push_back(block);
      v = rt::Value::Pointer(block, rt::type::kBytes);
      break;
    }
    default: {
      char* text = rt::CopyText(platform::Utf8ToGbk(text_utf8).c_str());
      if (text != nullptr) blocks_.push_back(text);
      v = rt::Value::Text(text);
    }
  }
  values_.push_back(v);
  return std::string();
}

}  // namespace qkdb

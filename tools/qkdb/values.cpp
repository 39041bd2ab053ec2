#include "tools/qkdb/values.h"

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "db/engine.h"
#include "platform/system.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "tools/qkdb/gbk_text.h"
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

struct IntegerRange {
  const char* type;
  long long low;
  long long high;
};

IntegerRange RangeOf(std::int32_t field_type) {
  switch (field_type) {
    case db::ftype::kByte: return {"Byte", 0, 255};
    case db::ftype::kShort: return {"Short", INT16_MIN, INT16_MAX};
    case db::ftype::kInt: return {"Int", INT32_MIN, INT32_MAX};
    case db::ftype::kSubPtr: return {"SubPtr", 0, UINT32_MAX};
    default: return {"Int64", INT64_MIN, INT64_MAX};
  }
}

std::string OutOfRange(const std::string& text, const char* type, const std::string& range) {
  std::string out = Quoted(text, "' is outside what a ");
  out += type;
  out += " field holds (";
  out += range;
  out += ")";
  return out;
}

// A finite decimal number. *problem says why not (empty when it is one).
bool ReadNumber(const std::string& text, bool single, double* d, std::string* problem) {
  const char* type = single ? "Float" : "Double";
  const char* range = single ? "-3.4028235e38 to 3.4028235e38" : "-1.7976931348623157e308 to 1.7976931348623157e308";
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) {
    *problem = Quoted(text, "' is not a number");
    return false;
  }
  errno = 0;
  char* end = nullptr;
  *d = std::strtod(text.c_str(), &end);
  if (*end != '\0') {
    *problem = Quoted(text, "' is not a number");
    return false;
  }
  if (std::isnan(*d) || (std::isinf(*d) && errno != ERANGE)) {
    *problem = Quoted(text, "' is not a finite number; a ") + type + " field holds " + range;
    return false;
  }
  // Too large, or so small it would be stored as 0.
  // A Float takes what rounds to at most FLT_MAX: less than FLT_MAX plus
  // half its last unit (2^103).
  bool overflow = std::isinf(*d) || (single && std::fabs(*d) >= static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103));
  bool vanishes = errno == ERANGE && *d == 0;
  if (single && *d != 0 && static_cast<float>(*d) == 0.0f) vanishes = true;
  if (overflow || vanishes) {
    *problem = OutOfRange(text, type, vanishes ? std::string(range) + ", and no closer to 0 than " +
                                                     (single ? "1.4e-45" : "4.9e-324")
                                               : std::string(range));
    return false;
  }
  return true;
}

}  // namespace

bool ParseInteger(const std::string& text, long long* n) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+' && last - first > 1 && first[1] != '-') ++first;
  auto [end, error] = std::from_chars(first, last, *n, 10);
  return !text.empty() && error == std::errc() && end == last;
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
  std::string refused;
  if (!ToGbkExactly(field_spec.substr(0, colon), &field->name, &refused))
    return "field '" + field_spec + "': the name holds " + refused + ", which GBK lacks";
  if (field->name.empty()) return "field '" + field_spec + "' has no name";
  field->type = static_cast<std::int32_t>(type);
  field->size = static_cast<std::int32_t>(size);
  return std::string();
}

ParsedValues::~ParsedValues() {
  for (void* block : blocks_) rt::FreeMemory(block);
}

std::string ParsedValues::Add(const db::FieldDesc& f, const std::string& text_utf8, bool truncate) {
  const std::string field_name = platform::GbkToUtf8(f.name);
  std::string problem;
  rt::Value v;
  switch (f.type) {
    case db::ftype::kByte:
    case db::ftype::kShort:
    case db::ftype::kInt:
    case db::ftype::kInt64:
    case db::ftype::kSubPtr: {
      const IntegerRange range = RangeOf(f.type);
      const std::string limits = std::to_string(range.low) + " to " + std::to_string(range.high);
      long long n = 0;
      if (!ParseInteger(text_utf8, &n)) {
        // Digits that do not fit in 64 bits are a number out of range.
        bool digits = !text_utf8.empty();
        for (std::size_t i = 0; i < text_utf8.size(); ++i)
          digits = digits && ((text_utf8[i] >= '0' && text_utf8[i] <= '9') || (i == 0 && (text_utf8[i] == '-' || text_utf8[i] == '+')));
        problem = digits ? OutOfRange(text_utf8, range.type, limits) : Quoted(text_utf8, "' is not a whole number");
        break;
      }
      if (n < range.low || n > range.high) {
        problem = OutOfRange(text_utf8, range.type, limits);
        break;
      }
      v = f.type == db::ftype::kSubPtr ? rt::Value{static_cast<std::uint32_t>(n), 0, rt::type::kSubPtr} : rt::Value::Int64(n);
      break;
    }
    case db::ftype::kFloat:
    case db::ftype::kDouble: {
      double d = 0;
      if (ReadNumber(text_utf8, f.type == db::ftype::kFloat, &d, &problem)) v = rt::Value::Double(d);
      break;
    }
    case db::ftype::kBool:
      if (text_utf8 != "true" && text_utf8 != "false") {
        problem = Quoted(text_utf8, "' is not true or false");
        break;
      }
      v = rt::Value::Bool(text_utf8 == "true");
      break;
    case db::ftype::kDateTime: {
      double days = 0;
      DateRead read = text_utf8 == "now" ? DateRead::kOk : ReadDate(text_utf8, &days);
      if (text_utf8 == "now") days = db::LocalNowAsDateTime();
      if (read == DateRead::kMalformed) {
        problem = Quoted(text_utf8, "' is not a date (YYYY-MM-DD, YYYY-MM-DD HH:MM:SS or now)");
      } else if (read == DateRead::kOutOfRange) {
        problem = OutOfRange(text_utf8, "DateTime", kDateRange);
      } else {
        v = rt::Value::DateTime(days);
      }
      break;
    }
    case db::ftype::kBytes: {
      std::string bytes;
      if (!ParseHex(text_utf8, &bytes)) {
        problem = Quoted(text_utf8, "' is not hexadecimal");
        break;
      }
      void* block = rt::MakeBytes(bytes.data(), static_cast<std::int64_t>(bytes.size()));
      if (block != nullptr) blocks_.push_back(block);
      v = rt::Value::Pointer(block, rt::type::kBytes);
      break;
    }
    default: {  // Text and memo
      std::string gbk, refused;
      if (!ToGbkExactly(text_utf8, &gbk, &refused)) {
        problem = "holds " + refused + ", which GBK lacks: the notebook cannot store it";
        break;
      }
      if (f.type == db::ftype::kText && gbk.size() > static_cast<std::size_t>(f.text_size)) {
        const std::string sizes = std::to_string(gbk.size()) + " bytes in GBK; the field holds " + std::to_string(f.text_size);
        if (!truncate) {
          problem = "the text is " + sizes + " (--truncate cuts it)";
          break;
        }
        gbk.resize(GbkCutPoint(gbk, static_cast<std::size_t>(f.text_size)));
        notes_.push_back("field " + field_name + ": cut to " + std::to_string(gbk.size()) + " bytes (it was " + sizes + ")");
      }
      char* text = rt::CopyText(gbk.c_str());
      if (text != nullptr) blocks_.push_back(text);
      v = rt::Value::Text(text);
    }
  }
  if (!problem.empty()) return "field " + field_name + ": " + problem;
  values_.push_back(v);
  return std::string();
}

}  // namespace qkdb

// qkdb's readers of command-line values: integers, the field lists of
// `create`, and one field's value by the field's type. A value is checked
// against its field before anything is stored: a number outside the type's
// range, a non-finite float, a text longer than the field (unless cutting
// is asked for), a date outside the years 100..9999 or a character GBK
// lacks is refused with a message that names the field and what it holds.
#pragma once

#include <string>
#include <vector>

#include "db/field.h"
#include "runtime/value.h"

namespace qkdb {

// A whole decimal integer (an optional sign, digits, nothing else); false
// when anything else is there or it does not fit.
bool ParseInteger(const std::string& text, long long* n);

// "NAME:TYPE[:SIZE]" (UTF-8) as a field to create. Empty on success, else
// what is wrong (UTF-8).
std::string ParseFieldSpec(const std::string& spec_utf8, db::FieldSpec* field);

// Values of one record, parsed by field type; texts and blocks live here.
class ParsedValues {
 public:
  ParsedValues() = default;
  ParsedValues(const ParsedValues&) = delete;
  ParsedValues& operator=(const ParsedValues&) = delete;
  ~ParsedValues();
  // Reads a value for field f. Empty string on success, else what is wrong
  // (UTF-8, naming the field). With `truncate`, a text longer than its
  // field is cut to whole characters and a note says so (notes()).
  std::string Add(const db::FieldDesc& f, const std::string& text_utf8, bool truncate = false);
  std::vector<rt::Value>& values() { return values_; }
  const std::vector<std::string>& notes() const { return notes_; }

 private:
  std::vector<rt::Value> values_;
  std::vector<void*> blocks_;
  std::vector<std::string> notes_;
};

}  // namespace qkdb

// qkdb's parsers of command-line values: integers, the field lists of
// `create`, and one field's value by the field's type.
#pragma once

#include <string>
#include <vector>

#include "db/field.h"
#include "runtime/value.h"

namespace qkdb {

// A whole decimal integer (strtoll's syntax); false when anything is left
// over or it does not fit.
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
  // Empty string on success, else what is wrong (UTF-8).
  std::string Add(const db::FieldDesc& f, const std::string& text_utf8);
  std::vector<rt::Value>& values() { return values_; }

 private:
  std::vector<rt::Value> values_;
  std::vector<void*> blocks_;
};

}  // namespace qkdb

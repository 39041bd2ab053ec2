#include "tools/qkdb/csv.h"

namespace qkdb {

bool CsvReader::LineBreakAt(std::size_t at, std::size_t* length) const {
  if (at >= text_.size()) return false;
  if (text_[at] == '\n') *length = 1;
  else if (text_[at] == '\r') *length = at + 1 < text_.size() && text_[at + 1] == '\n' ? 2 : 1;
  else return false;
  return true;
}

bool CsvReader::Fail(const char* what) {
  error_ = "line " + std::to_string(line_) + ": " + what;
  at_ = text_.size();
  return false;
}

bool CsvReader::Next(CsvRecord* record) {
  record->fields.clear();
  record->line = line_;
  if (at_ >= text_.size() || !error_.empty()) return false;
  std::string field;
  std::size_t length = 0;
  for (;;) {
    field.clear();
    if (at_ < text_.size() && text_[at_] == '"') {
      // Quoted: up to the quote that is not doubled.
      const std::size_t opened = line_;
      for (++at_;; ++at_) {
        if (at_ >= text_.size()) {
          line_ = opened;
          return Fail("a quoted field is not closed");
        }
        if (text_[at_] == '"') {
          if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
            field += '"';
            ++at_;
            continue;
          }
          ++at_;
          break;
        }
        if (LineBreakAt(at_, &length)) {
          field.append(text_.substr(at_, length));
          at_ += length - 1;
          ++line_;
          continue;
        }
        field += text_[at_];
      }
      if (at_ < text_.size() && text_[at_] != ',' && !LineBreakAt(at_, &length))
        return Fail("text after the closing quote of a field");
    } else {
      while (at_ < text_.size() && text_[at_] != ',' && !LineBreakAt(at_, &length)) {
        if (text_[at_] == '"') return Fail("a quote inside a field that does not start with one");
        field += text_[at_++];
      }
    }
    record->fields.push_back(field);
    if (at_ >= text_.size()) return true;
    if (text_[at_] == ',') {
      ++at_;
      continue;
    }
    LineBreakAt(at_, &length);
    at_ += length;
    ++line_;
    return true;
  }
}

void AppendCsvRecord(const std::vector<std::string>& fields, std::string* out) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) *out += ',';
    *out += '"';
    for (char c : fields[i]) {
      if (c == '"') *out += '"';
      *out += c;
    }
    *out += '"';
  }
  *out += "\r\n";
}

}  // namespace qkdb

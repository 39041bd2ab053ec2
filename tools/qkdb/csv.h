// CSV as RFC 4180 writes it: fields separated by commas, records by line
// breaks (CR LF, LF or CR), a field in double quotes may hold commas, line
// breaks and quotes (doubled). Our own reader and writer: the static
// Windows qkdb.exe links no CSV library.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qkdb {

struct CsvRecord {
  std::vector<std::string> fields;
  std::size_t line = 0;  // the line the record starts on, 1-based
};

class CsvReader {
 public:
  explicit CsvReader(std::string_view text) : text_(text) {}
  // The next record. False at the end of the text, or on malformed CSV
  // (error() then says where and what).
  bool Next(CsvRecord* record);
  const std::string& error() const { return error_; }

 private:
  bool LineBreakAt(std::size_t at, std::size_t* length) const;
  bool Fail(const char* what);

  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t line_ = 1;
  std::string error_;
};

// Appends one record, every field in quotes, ended by CR LF.
void AppendCsvRecord(const std::vector<std::string>& fields, std::string* out);

}  // namespace qkdb

// The CSV reader and writer: RFC 4180 quoting, the three kinds of line
// break, line numbers that count the breaks inside quoted fields, and a
// clear error for malformed input.
#include <gtest/gtest.h>

#include "tools/qkdb/csv.h"

namespace {

std::vector<qkdb::CsvRecord> ReadAll(std::string_view text, std::string* error = nullptr) {
  qkdb::CsvReader reader(text);
  std::vector<qkdb::CsvRecord> records;
  qkdb::CsvRecord record;
  while (reader.Next(&record)) records.push_back(record);
  if (error != nullptr) *error = reader.error();
  return records;
}

TEST(Csv, QuotedFieldsHoldCommasQuotesAndLineBreaks) {
  std::string error;
  auto records = ReadAll("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\"two\r\nlines\",\"lf\nonly\",\r\nlast,\"\",x", &error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].fields, (std::vector<std::string>{"a", "b,c", "say \"hi\""}));
  EXPECT_EQ(records[1].fields, (std::vector<std::string>{"two\r\nlines", "lf\nonly", ""}));
  EXPECT_EQ(records[2].fields, (std::vector<std::string>{"last", "", "x"}));
  // Line numbers count the breaks inside quotes.
  EXPECT_EQ(records[0].line, 1u);
  EXPECT_EQ(records[1].line, 2u);
  EXPECT_EQ(records[2].line, 5u);
}

TEST(Csv, LfCrLfAndCrAllEndARecord) {
  auto records = ReadAll("a\nb\r\nc\rd");
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[3].fields[0], "d");
  EXPECT_EQ(records[3].line, 4u);
  EXPECT_TRUE(ReadAll("").empty());
  EXPECT_EQ(ReadAll("x\r\n").size(), 1u) << "a final line break ends the last record, it starts none";
}

TEST(Csv, MalformedInputNamesTheLine) {
  struct Case {
    const char* text;
    const char* error;
  } const cases[] = {
      {"a,b\n\"open,\nstill open", "line 2: a quoted field is not closed"},
      {"a,b\n\"x\"y,z", "line 2: text after the closing quote of a field"},
      {"a\nb\nc\"d", "line 3: a quote inside a field that does not start with one"},
  };
  for (const Case& c : cases) {
    std::string error;
    ReadAll(c.text, &error);
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(Csv, WhatTheWriterWritesReadsBackUnchanged) {
  const std::vector<std::vector<std::string>> rows = {
      {"plain", "with,comma", "with \"quote\"", "two\r\nlines", ""},
      {"\xE7\xBD\x91\xE7\xAB\x99", " leading and trailing ", "lf\nonly", "\"", ","},
  };
  std::string text;
  for (const auto& row : rows) qkdb::AppendCsvRecord(row, &text);
  EXPECT_EQ(text.substr(0, 14), "\"plain\",\"with,");
  std::string error;
  auto records = ReadAll(text, &error);
  ASSERT_TRUE(error.empty()) << error;
  ASSERT_EQ(records.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(records[i].fields, rows[i]);
}

}  // namespace

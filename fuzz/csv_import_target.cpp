// CSV import: the reader, the layouts and every check of a row, on any
// bytes. What passes the checks must be storable as the notebook stores it,
// and must come back unchanged through an export and a second import;
// whatever the CSV reader reads, the writer writes back readably.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/entries.h"
#include "fuzz/scratch.h"
#include "tools/qkdb/csv.h"
#include "tools/qkdb/gbk_text.h"
#include "tools/qkdb/text_out.h"
#include "tools/qkdb/transfer.h"

namespace qkfuzz {
namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "csv_import: %s\n", what);
  std::abort();
}

void CheckWriterReadsBack(std::string_view text) {
  qkdb::CsvReader reader(text);
  qkdb::CsvRecord record;
  std::vector<std::vector<std::string>> records;
  while (reader.Next(&record)) records.push_back(record.fields);
  std::string written;
  for (const auto& fields : records) qkdb::AppendCsvRecord(fields, &written);
  qkdb::CsvReader again(written);
  std::size_t i = 0;
  while (again.Next(&record)) {
    if (i >= records.size() || record.fields != records[i]) Fail("a written record reads back differently");
    ++i;
  }
  if (!again.error().empty() || i != records.size()) Fail("written CSV does not read back whole");
}

void CheckPlan(const qkdb::ImportPlan& plan) {
  std::string utf8;
  for (const qkdb::NotebookEntry& e : plan.entries) {
    if (e.account.empty() || e.password.empty()) Fail("a row without account or password passed");
    for (const std::string* text : {&e.site, &e.address, &e.account, &e.password, &e.remarks}) {
      if (text->size() > qkdb::kNotebookTextBytes) Fail("a text longer than 512 bytes passed");
      if (!qkdb::FromGbkExactly(*text, &utf8)) Fail("a text that is not GBK passed");
    }
  }
  // Exported and imported again, every entry comes back as it was.
  std::vector<qkdb::ExportRecord> records;
  for (const qkdb::NotebookEntry& e : plan.entries) {
    qkdb::ExportRecord r;
    r.id = 11;
    r.entry = e;
    r.entry.has_time = true;
    records.push_back(r);
  }
  for (qkdb::CsvEncoding encoding : {qkdb::CsvEncoding::kUtf8, qkdb::CsvEncoding::kGbk}) {
    std::vector<std::string> warnings;
    const std::string csv = qkdb::WriteExport(records, qkdb::CsvFormat::kQuillkeep, encoding, &warnings);
    // Read back in the encoding it was written in: GBK bytes that happen to
    // be valid UTF-8 too are UTF-8 to --encoding auto.
    qkdb::ImportSettings settings;
    settings.format = qkdb::CsvFormat::kQuillkeep;
    settings.encoding = encoding;
    qkdb::ImportPlan again;
    std::string problem;
    if (!warnings.empty() || !qkdb::PlanImport(csv, settings, &again, &problem)) Fail("an export does not import");
    if (again.entries.size() != plan.entries.size() || again.invalid_rows != 0) Fail("an export lost rows");
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
      const qkdb::NotebookEntry &a = plan.entries[i], &b = again.entries[i];
      if (a.site != b.site || a.address != b.address || a.account != b.account || a.password != b.password ||
          a.remarks != b.remarks || qkdb::DateText(a.time) != qkdb::DateText(b.time))
        Fail("an entry changed through an export and an import");
    }
  }
}

}  // namespace

int FuzzCsvImport(const std::uint8_t* data, std::size_t size) {
  EnsureHost();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckWriterReadsBack(bytes);
  const qkdb::CsvFormat formats[] = {qkdb::CsvFormat::kAuto, qkdb::CsvFormat::kQuillkeep, qkdb::CsvFormat::kKeePassXC,
                                     qkdb::CsvFormat::kBitwarden, qkdb::CsvFormat::kChrome, qkdb::CsvFormat::kFirefox};
  for (qkdb::CsvFormat format : formats) {
    for (bool cut : {false, true}) {
      qkdb::ImportSettings settings;
      settings.format = format;
      settings.cut_remarks = cut;
      settings.encoding = size % 3 == 0 ? qkdb::CsvEncoding::kAuto : size % 3 == 1 ? qkdb::CsvEncoding::kUtf8 : qkdb::CsvEncoding::kGbk;
      qkdb::ImportPlan plan;
      std::string problem;
      if (qkdb::PlanImport(bytes, settings, &plan, &problem)) CheckPlan(plan);
    }
  }
  return 0;
}

}  // namespace qkfuzz

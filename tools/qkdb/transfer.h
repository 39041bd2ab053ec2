// Moving records between the notebook and the CSV files of other password
// managers: the column layouts, reading a CSV file into the records it
// would add (every check made before anything is written), and writing
// records as CSV. Nothing here touches a database; transfer_cmds.cpp does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qkdb {

enum class CsvFormat { kAuto, kQuillkeep, kKeePassXC, kBitwarden, kChrome, kFirefox };
enum class CsvEncoding { kAuto, kUtf8, kGbk };

// "auto", "quillkeep", "keepassxc", "bitwarden", "chrome" (Edge writes the
// same), "firefox"; false for anything else.
bool ParseCsvFormat(const std::string& name, CsvFormat* format);
bool ParseCsvEncoding(const std::string& name, CsvEncoding* encoding);
const char* CsvFormatName(CsvFormat format);

// The longest text the notebook stores in a field, in GBK bytes.
inline constexpr std::size_t kNotebookTextBytes = 512;

// One record as the notebook keeps it; texts are GBK.
struct NotebookEntry {
  std::string site, address, account, password, remarks;
  bool has_time = false;  // false: the time of the import
  double time = 0;        // local days since 1899-12-30
  std::size_t line = 0;   // where the row starts in the CSV file (imports)
};

// Something said about one row: its line, the column (as the file names
// it) and the reason.
struct RowNote {
  std::size_t line = 0;
  std::string column;
  std::string reason;
  std::string Text() const;  // "line 12, column login_password: empty"
};

struct ImportPlan {
  CsvFormat format = CsvFormat::kAuto;  // the layout found
  std::vector<NotebookEntry> entries;   // the rows that pass every check, in file order
  std::vector<RowNote> problems;        // every problem of every invalid row
  std::size_t invalid_rows = 0;
  std::vector<RowNote> cuts;            // remarks cut by --cut-remarks
  std::vector<RowNote> dropped;         // data the notebook has no field for (a TOTP secret)
  std::size_t not_logins = 0;           // Bitwarden rows that are not logins
};

struct ImportSettings {
  CsvFormat format = CsvFormat::kAuto;
  CsvEncoding encoding = CsvEncoding::kAuto;
  bool cut_remarks = false;
};

// Reads a whole CSV file (its bytes) into the records it would add. False
// with *problem for a fault of the whole file: its encoding, malformed CSV,
// or a header without the columns of a known layout (the problem lists the
// layouts known). Rows with problems are listed in the plan, not imported.
bool PlanImport(std::string_view bytes, const ImportSettings& settings, ImportPlan* plan, std::string* problem);

struct ExportRecord {
  std::int32_t id = 0;
  NotebookEntry entry;  // has_time is true
};

// The CSV text of the records in a layout (kQuillkeep or kKeePassXC) and
// encoding (UTF-8 with a byte-order mark, or GBK). A stored text that is
// not valid GBK is written with "?" for the bad bytes and listed in
// *warnings.
std::string WriteExport(const std::vector<ExportRecord>& records, CsvFormat format, CsvEncoding encoding,
                        std::vector<std::string>* warnings);

// The key under which two records are the same for an import: site,
// address, account and password.
std::string DuplicateKey(const NotebookEntry& entry);

}  // namespace qkdb

#include "tools/qkdb/transfer.h"

#include <cstring>

#include "tools/qkdb/csv.h"
#include "tools/qkdb/gbk_text.h"
#include "tools/qkdb/local_time.h"
#include "tools/qkdb/text_out.h"
#include "tools/qkdb/values.h"

namespace qkdb {
namespace {

enum class TimeForm { kNone, kLocalText, kIsoText, kMilliseconds };

// A layout's column names (null where it has none). A file is recognised by
// the columns a layout needs: site (where it has one), address, account,
// password, and kind and time where they are listed as needed.
struct Layout {
  CsvFormat format;
  const char* name;
  const char* site;
  const char* address;
  const char* account;
  const char* password;
  const char* remarks;
  const char* time;
  TimeForm time_form;
  bool time_needed;
  const char* kind;      // Bitwarden's "type": only "login" rows are records
  const char* one_time;  // a TOTP secret, which the notebook has no field for
  bool foreign;          // line breaks in remarks become the notebook's CR LF
};

constexpr Layout kLayouts[] = {
    {CsvFormat::kQuillkeep, "quillkeep", "site", "address", "account", "password", "remarks", "time",
     TimeForm::kLocalText, false, nullptr, nullptr, false},
    {CsvFormat::kBitwarden, "bitwarden", "name", "login_uri", "login_username", "login_password", "notes", nullptr,
     TimeForm::kNone, false, "type", "login_totp", true},
    {CsvFormat::kKeePassXC, "keepassxc", "Title", "URL", "Username", "Password", "Notes", "Created",
     TimeForm::kIsoText, false, nullptr, "TOTP", true},
    {CsvFormat::kChrome, "chrome", "name", "url", "username", "password", "note", nullptr, TimeForm::kNone, false,
     nullptr, nullptr, true},
    {CsvFormat::kFirefox, "firefox", nullptr, "url", "username", "password", nullptr, "timeCreated",
     TimeForm::kMilliseconds, true, nullptr, nullptr, true},
};

const char* const kKnownLayouts =
    "quillkeep (site, address, account, password, remarks, time), keepassxc (Title, URL, Username, Password, Notes, "
    "Created), bitwarden (type, name, login_uri, login_username, login_password, notes), chrome and Edge (name, url, "
    "username, password, note), firefox (url, username, password, timeCreated)";

const char* const kQuillkeepHeader[] = {"id", "site", "address", "account", "password", "remarks", "time"};
const char* const kKeePassXCHeader[] = {"Group", "Title",        "Username", "Password",      "URL",
                                        "Notes", "TOTP",         "Icon",     "Last Modified", "Created"};

bool SameName(const std::string& a, const char* b) {
  std::size_t first = a.find_first_not_of(" \t"), last = a.find_last_not_of(" \t");
  if (first == std::string::npos) return *b == '\0';
  if (last - first + 1 != std::strlen(b)) return false;
  for (std::size_t i = 0; i <= last - first; ++i) {
    char x = a[first + i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// Column positions of a layout in a header; -1 where absent.
struct Columns {
  int site = -1, address = -1, account = -1, password = -1, remarks = -1, time = -1, kind = -1, one_time = -1;
};

int Find(const std::vector<std::string>& header, const char* name) {
  if (name == nullptr) return -1;
  for (std::size_t i = 0; i < header.size(); ++i)
    if (SameName(header[i], name)) return static_cast<int>(i);
  return -1;
}

// The columns, and the needed names the header lacks.
Columns Locate(const Layout& layout, const std::vector<std::string>& header, std::string* missing) {
  Columns c;
  c.site = Find(header, layout.site);
  c.address = Find(header, layout.address);
  c.account = Find(header, layout.account);
  c.password = Find(header, layout.password);
  c.remarks = Find(header, layout.remarks);
  c.time = Find(header, layout.time);
  c.kind = Find(header, layout.kind);
  c.one_time = Find(header, layout.one_time);
  missing->clear();
  auto need = [missing](const char* name, int at) {
    if (name == nullptr || at >= 0) return;
    if (!missing->empty()) *missing += ", ";
    *missing += name;
  };
  need(layout.kind, c.kind);
  need(layout.site, c.site);
  need(layout.address, c.address);
  need(layout.account, c.account);
  need(layout.password, c.password);
  if (layout.time_needed) need(layout.time, c.time);
  return c;
}

std::string Cell(const std::vector<std::string>& fields, int column) {
  return column >= 0 && static_cast<std::size_t>(column) < fields.size() ? fields[static_cast<std::size_t>(column)]
                                                                          : std::string();
}

// The host of a web address ("https://a.example:8080/x" -> "a.example"),
// for layouts that give no site name.
std::string HostOf(const std::string& address) {
  std::size_t start = address.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  std::size_t at = address.find('@', start);
  const std::size_t end = address.find_first_of("/?#", start);
  if (at != std::string::npos && at < end) start = at + 1;
  std::size_t stop = address.find_first_of(":/?#", start);
  return address.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
}

// Line breaks written as LF (or CR) become CR LF, as the notebook's remarks
// box writes them.
std::string NotebookLineBreaks(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\r\n";
      ++i;
    } else if (text[i] == '\r' || text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string LfLineBreaks(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

// The local time text of the quillkeep layout, also as a spreadsheet saves
// it after editing ("2024/3/1 9:30": slashes, no seconds).
bool ReadLocalTime(std::string text, double* days) {
  for (char& c : text)
    if (c == '/') c = '-';
  const std::size_t blank = text.find(' ');
  if (blank != std::string::npos && text.find(':') != std::string::npos &&
      text.find(':', text.find(':') + 1) == std::string::npos)
    text += ":00";
  return ReadDate(text, days) == DateRead::kOk;
}

// Reads a row's time; empty text means none. False when malformed.
bool ReadTime(TimeForm form, const std::string& text, NotebookEntry* entry) {
  if (text.empty() || form == TimeForm::kNone) return true;
  bool ok = false;
  if (form == TimeForm::kLocalText) {
    ok = ReadLocalTime(text, &entry->time);
  } else if (form == TimeForm::kIsoText) {
    ok = ReadIsoTime(text, &entry->time);
  } else {
    long long milliseconds = 0;
    ok = ParseInteger(text, &milliseconds) && milliseconds >= 0 &&
         LocalDaysFromUnix(milliseconds / 1000, &entry->time);
  }
  entry->has_time = ok;
  return ok;
}

const char* TimeShape(TimeForm form) {
  switch (form) {
    case TimeForm::kLocalText: return "YYYY-MM-DD HH:MM:SS";
    case TimeForm::kIsoText: return "an ISO 8601 time such as 2024-03-01T09:30:00Z";
    default: return "milliseconds since 1970";
  }
}

// Checks and converts one row; its problems go to *problems.
NotebookEntry ReadRow(const Layout& layout, const Columns& c, const std::vector<std::string>& header,
                      const CsvRecord& record, const ImportSettings& settings, std::vector<RowNote>* problems,
                      ImportPlan* plan) {
  NotebookEntry entry;
  entry.line = record.line;
  auto column_name = [&header](int column, const char* fallback) {
    return column >= 0 ? header[static_cast<std::size_t>(column)] : std::string(fallback);
  };
  auto problem = [&](int column, const char* fallback, const std::string& reason) {
    problems->push_back(RowNote{record.line, column_name(column, fallback), reason});
  };
  struct Text {
    int column;
    const char* fallback;
    std::string value;
    std::string* out;
    bool secret;
  } texts[] = {
      {c.site, layout.site != nullptr ? layout.site : layout.address, Cell(record.fields, c.site), &entry.site, false},
      {c.address, layout.address, Cell(record.fields, c.address), &entry.address, false},
      {c.account, layout.account, Cell(record.fields, c.account), &entry.account, false},
      {c.password, layout.password, Cell(record.fields, c.password), &entry.password, true},
      {c.remarks, layout.remarks, Cell(record.fields, c.remarks), &entry.remarks, false},
  };
  if (layout.site == nullptr) texts[0].value = HostOf(texts[1].value);
  if (layout.foreign) texts[4].value = NotebookLineBreaks(texts[4].value);
  for (Text& t : texts) {
    std::string refused;
    if (!ToGbkExactly(t.value, t.out, &refused)) {
      // A password's characters are not repeated in a message.
      problem(t.column, t.fallback,
              "holds " + (t.secret ? std::string("a character") : refused) + " that GBK lacks: the notebook cannot store it");
      continue;
    }
    if (t.out->size() <= kNotebookTextBytes) continue;
    const std::string size = std::to_string(t.out->size()) + " bytes in GBK, more than " + std::to_string(kNotebookTextBytes);
    if (t.out == &entry.remarks && settings.cut_remarks) {
      t.out->resize(GbkCutPoint(*t.out, kNotebookTextBytes));
      plan->cuts.push_back(RowNote{record.line, column_name(t.column, t.fallback),
                                   "cut to " + std::to_string(t.out->size()) + " bytes (it had " + size + ")"});
    } else {
      problem(t.column, t.fallback, size + (t.out == &entry.remarks ? " (--cut-remarks cuts remarks)" : ""));
    }
  }
  if (texts[2].value.empty()) problem(c.account, layout.account, "empty: the notebook needs an account");
  if (texts[3].value.empty()) problem(c.password, layout.password, "empty: the notebook needs a password");
  const std::string time = Cell(record.fields, c.time);
  if (!ReadTime(layout.time_form, time, &entry))
    problem(c.time, layout.time, "'" + time + "' is not " + TimeShape(layout.time_form) + " within the years 100 to 9999");
  if (!Cell(record.fields, c.one_time).empty()) {
    plan->dropped.push_back(RowNote{record.line, column_name(c.one_time, layout.one_time),
                                    "a TOTP secret, which the notebook has no field for, is left out"});
  }
  return entry;
}

bool Decode(std::string_view bytes, CsvEncoding encoding, std::string* utf8, std::string* problem) {
  const bool bom = bytes.size() >= 3 && std::memcmp(bytes.data(), "\xEF\xBB\xBF", 3) == 0;
  if (bom) bytes.remove_prefix(3);
  if (encoding != CsvEncoding::kGbk && IsValidUtf8(bytes)) {
    utf8->assign(bytes);
    return true;
  }
  if (encoding == CsvEncoding::kUtf8) {
    *problem = "the file is not valid UTF-8 (--encoding gbk reads a GBK file)";
    return false;
  }
  if (bom) {
    *problem = "the file starts with a UTF-8 byte-order mark but is not valid UTF-8";
    return false;
  }
  if (!FromGbkExactly(bytes, utf8)) {
    *problem = encoding == CsvEncoding::kGbk ? "the file is not valid GBK" : "the file is neither UTF-8 nor GBK";
    return false;
  }
  return true;
}

}  // namespace

bool ParseCsvFormat(const std::string& name, CsvFormat* format) {
  if (name == "auto") {
    *format = CsvFormat::kAuto;
    return true;
  }
  for (const Layout& layout : kLayouts) {
    if (name == layout.name || (name == "edge" && layout.format == CsvFormat::kChrome)) {
      *format = layout.format;
      return true;
    }
  }
  return false;
}

bool ParseCsvEncoding(const std::string& name, CsvEncoding* encoding) {
  if (name == "auto") *encoding = CsvEncoding::kAuto;
  else if (name == "utf-8" || name == "utf8") *encoding = CsvEncoding::kUtf8;
  else if (name == "gbk") *encoding = CsvEncoding::kGbk;
  else return false;
  return true;
}

const char* CsvFormatName(CsvFormat format) {
  for (const Layout& layout : kLayouts)
    if (layout.format == format) return layout.name;
  return "auto";
}

std::string RowNote::Text() const { return "line " + std::to_string(line) + ", column " + column + ": " + reason; }

std::string DuplicateKey(const NotebookEntry& e) {
  std::string key = e.site;
  for (const std::string* part : {&e.address, &e.account, &e.password}) {
    key += '\0';
    key += *part;
  }
  return key;
}

bool PlanImport(std::string_view bytes, const ImportSettings& settings, ImportPlan* plan, std::string* problem) {
  *plan = ImportPlan{};
  std::string text;
  if (!Decode(bytes, settings.encoding, &text, problem)) return false;
  CsvReader reader(text);
  CsvRecord header;
  if (!reader.Next(&header)) {
    *problem = reader.error().empty() ? "the file is empty: a header row is needed" : reader.error();
    return false;
  }
  const Layout* layout = nullptr;
  Columns columns;
  std::string missing;
  for (const Layout& candidate : kLayouts) {
    if (settings.format != CsvFormat::kAuto && candidate.format != settings.format) continue;
    columns = Locate(candidate, header.fields, &missing);
    if (missing.empty()) {
      layout = &candidate;
      break;
    }
    if (settings.format != CsvFormat::kAuto) {
      *problem = std::string("the header lacks the columns the ") + candidate.name + " layout needs: " + missing;
      return false;
    }
  }
  if (layout == nullptr) {
    *problem = "the header matches no layout known: " + std::string(kKnownLayouts);
    return false;
  }
  plan->format = layout->format;
  CsvRecord record;
  while (reader.Next(&record)) {
    bool blank = true;
    for (const std::string& field : record.fields) blank = blank && field.empty();
    if (blank) continue;
    if (layout->kind != nullptr && !SameName(Cell(record.fields, columns.kind), "login")) {
      ++plan->not_logins;
      continue;
    }
    const std::size_t before = plan->problems.size();
    NotebookEntry entry = ReadRow(*layout, columns, header.fields, record, settings, &plan->problems, plan);
    if (plan->problems.size() == before) {
      plan->entries.push_back(std::move(entry));
    } else {
      ++plan->invalid_rows;
    }
  }
  if (!reader.error().empty()) {
    *problem = reader.error();
    return false;
  }
  return true;
}

std::string WriteExport(const std::vector<ExportRecord>& records, CsvFormat format, CsvEncoding encoding,
                        std::vector<std::string>* warnings) {
  const bool gbk = encoding == CsvEncoding::kGbk;
  std::string out = gbk ? std::string() : std::string("\xEF\xBB\xBF");
  const bool keepassxc = format == CsvFormat::kKeePassXC;
  if (keepassxc)
    AppendCsvRecord(std::vector<std::string>(std::begin(kKeePassXCHeader), std::end(kKeePassXCHeader)), &out);
  else
    AppendCsvRecord(std::vector<std::string>(std::begin(kQuillkeepHeader), std::end(kQuillkeepHeader)), &out);
  std::size_t number = 0;
  for (const ExportRecord& record : records) {
    ++number;
    const NotebookEntry& e = record.entry;
    std::vector<std::string> texts = {e.site, e.address, e.account, e.password, keepassxc ? LfLineBreaks(e.remarks) : e.remarks};
    for (std::string& text : texts) {
      if (gbk) continue;  // the stored bytes as they are
      std::string utf8;
      if (!FromGbkExactly(text, &utf8))
        warnings->push_back("record " + std::to_string(number) + " holds bytes that are not GBK; they are written as ?");
      text = utf8;
    }
    if (keepassxc) {
      const std::string when = IsoUtcText(e.time);
      AppendCsvRecord({"Root", texts[0], texts[2], texts[3], texts[1], texts[4], "", "0", when, when}, &out);
    } else {
      AppendCsvRecord({std::to_string(record.id), texts[0], texts[1], texts[2], texts[3], texts[4], DateText(e.time)}, &out);
    }
  }
  return out;
}

}  // namespace qkdb

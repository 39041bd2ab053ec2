// The program folder, INI values, files, the clipboard, the clock and the
// browser.
#include <cstring>
#include <memory>
#include <string>

#include "commands/date_time.h"
#include "commands/system.h"
#include "commands/web_address.h"
#include "platform/file.h"
#include "platform/find.h"
#include "platform/host.h"
#include "platform/ini.h"
#include "runtime/helpers.h"
#include "runtime/state.h"

namespace commands {
namespace {

bool Present(std::int32_t argc, const rt::Value* argv, std::int32_t index) {
  return argc > index && !argv[index].omitted();
}

const char* TextOf(const rt::Value& v) { return v.text() != nullptr ? v.text() : ""; }

// Leading spaces and control characters are no part of an INI name.
const char* SkipLeadingControls(const char* text) {
  while (*text != '\0' && static_cast<unsigned char>(*text) <= 0x20) ++text;
  return text;
}

// The largest value ReadIniValue returns is one byte less.
constexpr std::size_t kIniBufferSize = 10240;

rt::Value OwnedText(const std::string& text) {
  return rt::Value::Text(rt::CopyTextN(text.data(), static_cast<std::int64_t>(text.size())));
}

}  // namespace

void GetProgramFolder(rt::Value* result, std::int32_t, rt::Value*) {
  *result = OwnedText(rt::State().program_folder);
}

void ReadIniValue(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  const char* file = SkipLeadingControls(TextOf(argv[0]));
  const char* section = SkipLeadingControls(TextOf(argv[1]));
  const char* key = SkipLeadingControls(TextOf(argv[2]));
  const char* fallback = Present(argc, argv, 3) ? TextOf(argv[3]) : "";
  std::string value;
  if (*file != '\0' && *section != '\0' && *key != '\0')
    value = platform::ReadIniString(file, section, key, *fallback != '\0' ? fallback : nullptr, kIniBufferSize);
  *result = OwnedText(value);
}

void WriteIniValue(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  const char* key = Present(argc, argv, 2) ? TextOf(argv[2]) : nullptr;
  const char* value = Present(argc, argv, 3) ? TextOf(argv[3]) : nullptr;
  *result = rt::Value::Bool(platform::WriteIniString(TextOf(argv[0]), TextOf(argv[1]), key, value));
}

void FileExists(rt::Value* result, std::int32_t, rt::Value* argv) {
  std::unique_ptr<platform::FileSearch> search = platform::StartFileSearch(TextOf(argv[0]));
  platform::FoundFile found;
  *result = rt::Value::Bool(search != nullptr && search->Next(&found));
}

void DeleteFile(rt::Value* result, std::int32_t, rt::Value* argv) {
  *result = rt::Value::Bool(platform::RemoveFile(TextOf(argv[0])) == platform::FileError::kNone);
}

void SetClipboardText(rt::Value* result, std::int32_t, rt::Value* argv) {
  *result = rt::Value::Bool(platform::CurrentHost().SetClipboardText(TextOf(argv[0])));
}

void Now(rt::Value* result, std::int32_t, rt::Value*) {
  platform::LocalTime t = platform::CurrentHost().LocalNow();
  CivilTime civil{t.year, t.month, t.day, t.hour, t.minute, t.second};
  *result = rt::Value::DateTime(CivilToDateTime(civil));
}

void OpenWebAddress(rt::Value*, std::int32_t argc, rt::Value* argv) {
  // Refused addresses and failures of the browser are not reported.
  std::optional<std::string> address = WebAddressToOpen(Present(argc, argv, 0) ? TextOf(argv[0]) : kDefaultHomePage);
  if (address) platform::CurrentHost().OpenWebAddress(*address);
}

}  // namespace commands

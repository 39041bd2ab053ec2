// The sample windows of tests/ui/sample_forms.h for units compiled with
// Qt (see sample_forms_gbk.cpp): a main window 0x52010001 with an edit box,
// a default button, a list view with a popup menu and a button that opens a
// modal dialog 0x52010003; the handlers log what happens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/program.h"

namespace qt_tests {

inline constexpr std::uint32_t kMain = 0x52010001, kDialog = 0x52010003;
inline constexpr std::uint32_t kEdit = 0x16010010, kOk = 0x16010011, kList = 0x16010012, kOpenDialog = 0x16010013;
inline constexpr std::uint32_t kDialogButton = 0x16010020;

std::vector<std::uint8_t> SampleTemplates();
const rt::Handler* SampleHandlers(std::uint32_t* count);
// "created", "ok", "rclick", "menu1", "menu3", "query", "destroying", "dialog closed" ...
std::vector<std::string>& SampleLog();
// Whether the main window's close query refuses (the window stays).
void RefuseClose(bool refuse);

}  // namespace qt_tests

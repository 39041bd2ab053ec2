// The window runtime's sample windows for the Qt tests. This unit holds
// GBK literals, so it is compiled apart from the units that include Qt.
#include "tests/qt/forms/sample_forms.h"

#include "tests/ui/sample_forms.h"

namespace qt_tests {

std::vector<std::uint8_t> SampleTemplates() { return ui::testing_forms::SampleTemplates(); }

const rt::Handler* SampleHandlers(std::uint32_t* count) {
  *count = sizeof ui::testing_forms::kHandlers / sizeof ui::testing_forms::kHandlers[0];
  return ui::testing_forms::kHandlers;
}

std::vector<std::string>& SampleLog() { return ui::testing_forms::g_log; }

void RefuseClose(bool refuse) { ui::testing_forms::g_refuse_close = refuse; }

}  // namespace qt_tests

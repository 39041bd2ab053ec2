// quillkeep: the notebook on the Linux desktop, on Qt 6 widgets. It takes
// no arguments of its own (Qt's, such as -platform, are Qt's); its folder
// is chosen as platform/posix/program_folder.h says.
#include "app/program.h"
#include "platform/host.h"
#include "platform/qt/application_qt.h"
#include "platform/qt/host_qt.h"
#include "platform/qt/window_system_qt.h"
#include "tools/quillkeep/qt/icons.h"
#include "ui/runtime_api.h"

int main(int argc, char** argv) {
  platform::qt::Application application(argc, argv);
  application.setWindowIcon(quillkeep_qt::NotebookIcon());
  platform::qt::QtHost& host = platform::qt::NativeQtHost();
  host.set_password_icon(quillkeep_qt::PasswordKeyIcon());
  platform::InstallHost(&host);
  platform::InstallWindowSystem(&platform::qt::NativeWindowSystem());
  ui::InstallWindowRuntime();
  app::RunNotebook();  // ends the process
}

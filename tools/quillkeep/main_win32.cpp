// quillkeep.exe: the notebook on real Win32 windows. No command line; the
// program folder is where the executable lies.
#include <windows.h>

#include "app/program.h"
#include "platform/win32/file_security.h"
#include "platform/win32/window_system_win32.h"
#include "platform/window_system.h"
#include "ui/runtime_api.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::win32::LoadLibrariesFromSystemFolderOnly();  // before anything loads one
  platform::InstallWindowSystem(&platform::win32::NativeWindowSystem());
  ui::InstallWindowRuntime();
  app::RunNotebook();  // ends the process
}

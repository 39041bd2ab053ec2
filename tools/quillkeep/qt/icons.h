// The notebook's pictures on the Linux desktop, from the same icon files
// the Windows build puts in its resources (compiled in at build time).
#pragma once

#include <QIcon>

namespace quillkeep_qt {

// The program's icon (windows, task bar).
QIcon NotebookIcon();
// The key of the password dialog.
QIcon PasswordKeyIcon();

}  // namespace quillkeep_qt

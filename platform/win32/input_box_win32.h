// The input box on Win32: a dialog built from an in-memory template.
#pragma once

#include <string>

#include "platform/host.h"

namespace platform::win32 {

BoxAnswer RunInputBox(const InputBoxRequest& request, Secret* entered);

}  // namespace platform::win32

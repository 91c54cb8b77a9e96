// The device-control record that SerialConfig writes on Windows, apart so that
// the tests see all of it: Wine reads back only part of what is written.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace cfe::platform {

// Sets rate, byte size, parity, stop bits, the XON/XOFF characters and limits,
// and the whole flag word, on a record read from the port.
void FillDcb(const SerialParams &p, DCB &dcb);

}  // namespace cfe::platform

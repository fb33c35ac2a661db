// The links over this machine's devices, of the kind the platform has: a tty
// or a COM port for a serial port, FIFO pipes or the driver's pipes for the
// ZQ73G+'s USB device.
#pragma once

#include <memory>

#include "link/link.h"

namespace bridgit {

std::unique_ptr<TLink> MakeSerialLink(TSessionHost& host);
std::unique_ptr<TLink> MakeUsbLink(TSessionHost& host);

}  // namespace bridgit

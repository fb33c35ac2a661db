// The ports of this machine, for the connect list and the diagnostics.
#pragma once

#include <string>
#include <vector>

namespace bridgit {

// A port that exists: the name to open it by, the device examined (the pipe
// that failed, for the USB device) and 0 when it can be opened now, else the
// cause (errno; EWOULDBLOCK when another program holds it).
struct TPortState {
  std::string name;
  std::string device;
  int error = 0;
};
// Serial devices (those of the serial ports with a UART behind them), the
// paths of BRIDGIT_EXTRA_PORTS and the USB device names, whether they can be
// opened or not.
std::vector<TPortState> ExaminePorts();

// "Auto", then each port that exists and can be opened (serial devices, the
// paths of BRIDGIT_EXTRA_PORTS, the USB device names). Ports in use are left out.
std::vector<std::string> ListPorts();

}  // namespace bridgit

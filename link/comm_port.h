// The one link to the calculator: a serial port (a tty) or the ZQ73G+'s USB
// device (a read pipe and a write pipe). Everything above reads and writes only
// through these operations. Every failure ends in FatalDisconnect, which raises
// TConnectionError.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/session_host.h"
#include "link/link_timing.h"
#include "link/safe_reader.h"

namespace bridgit {

inline constexpr std::uint8_t ModeSerial = 0;
inline constexpr std::uint8_t ModeUsb = 1;

// Serial reads are issued in chunks of this size (the driver queues hold 2048).
inline constexpr std::size_t kSerialReadChunk = 2038;
// A silent USB link ends in the fatal path after this long.
inline constexpr int kUsbSilenceLimitMs = 2500;

struct TCommPort {
  int ReadHandle = -1;   // on a serial port the same descriptor as WriteHandle
  int WriteHandle = -1;
  std::uint8_t Mode = ModeSerial;
  std::array<unsigned char, kReadAheadSize> Buffer{};  // USB read-ahead
  std::uint32_t BufCount = 0;
  std::uint32_t BufPos = 1;      // 1-based; exhausted when BufPos > BufCount
  std::int64_t EmptySince = 0;   // tick of the first empty USB attempt, 0 while data flows

  // Serial read time-out in force: constant + multiplier x bytes requested.
  int ReadConstantMs = 3000;
  int ReadMultiplierMs = 1;
  std::string PortName;          // the name the link was opened with
  std::uint64_t ReadCalls = 0;   // device reads issued (for diagnostics and tests)
  std::unique_ptr<TSafeRdThread> Reader;
};

// The link record (one per program).
TCommPort& CommPort();

// The host that the link reports to; without one the link uses a silent
// headless host.
void SetLinkHost(TSessionHost* host);
TSessionHost& LinkHost();

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

void SetPortListSeparator(const std::string& separator);
// "Auto" and a line feed, then each port that exists and can be opened (serial
// devices, the paths of BRIDGIT_EXTRA_PORTS, the USB device names), each
// followed by the separator. Ports in use are left out.
void ListPorts(std::string& list);

void OpenComm(const std::string& portName, int speed);
void CloseComm();
// Fills `buffer` (sized by the caller to the bytes wanted) and returns the count
// received; the unfilled rest is zeroed. `timeoutMs` governs only the USB path.
int ReadComm(std::string& buffer, int timeoutMs);
void WriteComm(const std::string& data);
void ClearInput();
void SetShortTimeouts();
void SetLongTimeouts();
void ChangeSpeed(int speed);
// One request to the USB reader thread (also used by the pulse).
void SafeRead();
[[noreturn]] void FatalDisconnect();

}  // namespace bridgit

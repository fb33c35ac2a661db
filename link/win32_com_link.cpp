#include "link/win32_com_link.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "base/clock.h"
#include "base/log.h"
#include "link/device_links.h"
#include "link/line_counters.h"
#include "link/port_names.h"
#include "link/texts.h"

namespace bridgit {

namespace {

// Serial reads are issued in chunks of this size (the driver queues hold 2048).
constexpr DWORD kReadChunk = 2038;
constexpr DWORD kDriverQueueSize = 2048;
constexpr DWORD kShortReadConstantMs = 100;
constexpr DWORD kLongReadConstantMs = 3000;
constexpr DWORD kReadMultiplierMs = 1;
constexpr DWORD kWriteConstantMs = 100;
constexpr DWORD kWriteMultiplierMs = 30;
// A line that never goes quiet (a stuck or babbling device) ends the drain.
constexpr TTickMs kClearInputLimitMs = 60000;

// Binary, 8N1 at the speed, DTR and RTS held on, no flow control of either
// kind, no error or null-byte handling.
void SetLineSettings(DCB& dcb, int speed) {
  dcb.BaudRate = static_cast<DWORD>(speed);
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
}

std::string LastErrorText() { return Win32ErrorText(::GetLastError()); }

}  // namespace

void TWin32ComLink::OpenComm(const std::string& portName, int speed) {
  if (IsOpen()) CloseComm();
  Log(std::string(texts::kLogCreateFile) + portName);
  const std::string path = SerialDevicePath(portName);
  std::string error;
  HANDLE h = OpenExclusive(path, GENERIC_READ | GENERIC_WRITE, portName, error);
  if (h == INVALID_HANDLE_VALUE) Fail("CreateFile failed for " + path + ": " + error);
  Timing() = speed <= 9600 ? SerialSlow : SerialFast;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  const bool read = ::GetCommState(h, &dcb);
  if (read) SetLineSettings(dcb, speed);
  Log(std::string(texts::kLogSetCommState) + portName);
  if (!read || !::SetCommState(h, &dcb)) {
    error = LastErrorText();
    ::CloseHandle(h);
    Fail("SetCommState failed for " + path + ": " + error);
  }
  readHandle_ = writeHandle_ = h;
  ::SetupComm(h, kDriverQueueSize, kDriverQueueSize);  // a request the driver may round or ignore
  SetLongTimeouts();
  WindowStep([this] { Host().SetConnected(true); });
}

int TWin32ComLink::ReadComm(std::string& buffer, int) {
  const std::size_t wanted = buffer.size();
  std::size_t p = 0;
  for (;;) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - p, kReadChunk));
    DWORD got = 0;
    if (!::ReadFile(readHandle_, buffer.data() + p, chunk, &got, nullptr)) Fail("ReadFile failed: " + LastErrorText());
    CountReceivedBytes(got);
    p += got;
    // Reads longer than one chunk go on until everything has come or a read
    // brings nothing (the line went quiet).
    if (wanted <= kReadChunk || p >= wanted || got == 0) break;
  }
  return FinishRead(buffer, static_cast<int>(p));
}

void TWin32ComLink::ClearInput() {
  Log(texts::kLogClearStart);
  const TTickMs start = TickCount();
  COMMTIMEOUTS saved{};
  if (!::GetCommTimeouts(readHandle_, &saved)) Fail("GetCommTimeouts failed: " + LastErrorText());
  SetShortTimeouts();
  for (int empty = 0; empty < 2;) {
    if (TickCount() - start > kClearInputLimitMs) Fail("The input never went quiet");
    // The receive side only: bytes just written (a cancel) must still leave.
    ::PurgeComm(readHandle_, PURGE_RXABORT | PURGE_RXCLEAR);
    std::string six(6, '\0');
    ReadComm(six, kUsbSilenceLimitMs);
    empty = six == std::string(6, '\0') ? empty + 1 : 0;
  }
  if (!::SetCommTimeouts(readHandle_, &saved)) Fail("SetCommTimeouts failed: " + LastErrorText());
  Log(texts::kLogClearEnd);
}

void TWin32ComLink::SetReadTimeouts(unsigned long constantMs) {
  // A closed port has no time-outs to set; the next open sets the long ones.
  if (!IsOpen()) return;
  COMMTIMEOUTS t{};
  if (!::GetCommTimeouts(readHandle_, &t)) Fail("GetCommTimeouts failed: " + LastErrorText());
  t.ReadIntervalTimeout = 0;  // no limit between bytes: the total alone bounds a read
  t.ReadTotalTimeoutConstant = constantMs;
  t.ReadTotalTimeoutMultiplier = kReadMultiplierMs;
  t.WriteTotalTimeoutConstant = kWriteConstantMs;
  t.WriteTotalTimeoutMultiplier = kWriteMultiplierMs;
  if (!::SetCommTimeouts(readHandle_, &t)) Fail("SetCommTimeouts failed: " + LastErrorText());
}

void TWin32ComLink::SetShortTimeouts() { SetReadTimeouts(kShortReadConstantMs); }

void TWin32ComLink::SetLongTimeouts() { SetReadTimeouts(kLongReadConstantMs); }

void TWin32ComLink::ChangeSpeed(int speed) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(readHandle_, &dcb)) Fail("GetCommState failed: " + LastErrorText());
  dcb.BaudRate = static_cast<DWORD>(speed);
  if (!::SetCommState(readHandle_, &dcb)) Fail("SetCommState failed: " + LastErrorText());
  Log(std::string(texts::kLogChangingSpeed) + std::to_string(speed));
}

std::unique_ptr<TLink> MakeSerialLink(TSessionHost& host) { return std::make_unique<TWin32ComLink>(host); }

}  // namespace bridgit

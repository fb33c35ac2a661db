#include "link/comm_port.h"

#include <fcntl.h>

#include <algorithm>

#include "base/clock.h"
#include "base/log.h"
#include "host/headless_host.h"
#include "link/comm_error.h"
#include "link/port_names.h"
#include "link/serial_device.h"
#include "link/texts.h"
#include "link/transfer_files.h"

namespace bridgit {

namespace {

constexpr int kShortReadConstantMs = 100;
constexpr int kLongReadConstantMs = 3000;
constexpr int kReadMultiplierMs = 1;
constexpr int kWriteConstantMs = 100;
constexpr int kWriteMultiplierMs = 30;
constexpr std::size_t kDriverQueueSize = 2048;
constexpr int kFatalPauseMs = 100;
// A line that never goes quiet (a stuck or babbling device) ends the drain.
constexpr TTickMs kClearInputLimitMs = 60000;

TSessionHost* g_host = nullptr;

int WriteTimeoutMs(std::size_t bytes) {
  return kWriteConstantMs + kWriteMultiplierMs * static_cast<int>(std::min<std::size_t>(bytes, 1u << 24));
}

// Runs a window step on the user-interface thread.
void WindowStep(const std::function<void()>& step) {
  TSessionHost& host = LinkHost();
  if (host.OnUiThread())
    step();
  else
    host.RunOnUiThread(step);
}

[[noreturn]] void Fail(const std::string& cause) {
  Log(cause);
  FatalDisconnect();
}

void ResetRecord(TCommPort& port) {
  port.ReadHandle = port.WriteHandle = -1;
  port.Mode = ModeSerial;
  port.BufCount = 0;
  port.BufPos = 1;
  port.EmptySince = 0;
  port.PortName.clear();
}

void OpenUsb(TCommPort& port, const std::string& portName) {
  CurrentTiming() = Usb;
  port.BufCount = 0;
  port.BufPos = 1;
  port.EmptySince = 0;
  port.Mode = ModeUsb;
  const std::string dir = UsbDevicePath(portName);
  std::string error;
  const int readFd = posix::OpenExclusive(dir + "/" + std::string(kUsbReadPipe), O_RDONLY, error);
  if (readFd < 0) Fail("Cannot open " + dir + "/" + std::string(kUsbReadPipe) + ": " + error);
  // A pipe with nobody at the calculator end refuses the open for writing.
  const int writeFd = posix::OpenExclusive(dir + "/" + std::string(kUsbWritePipe), O_WRONLY, error);
  if (writeFd < 0) {
    posix::CloseFd(readFd);
    Fail("Cannot open " + dir + "/" + std::string(kUsbWritePipe) + ": " + error);
  }
  port.ReadHandle = readFd;
  port.WriteHandle = writeFd;
  port.PortName = portName;
}

void OpenSerial(TCommPort& port, const std::string& portName, int speed) {
  Log(std::string(texts::kLogCreateFile) + portName);
  const std::string path = SerialDevicePath(portName);
  std::string error;
  const int fd = posix::OpenExclusive(path, O_RDWR, error);
  if (fd < 0) Fail("CreateFile failed for " + path + ": " + error);
  CurrentTiming() = speed <= 9600 ? SerialSlow : SerialFast;
  Log(std::string(texts::kLogSetCommState) + portName);
  if (!posix::ConfigureTty(fd, speed, error)) {
    posix::CloseFd(fd);
    Fail("SetCommState failed for " + path + ": " + error);
  }
  port.ReadHandle = port.WriteHandle = fd;
  port.Mode = ModeSerial;
  port.PortName = portName;
  SetLongTimeouts();
}

int ReadSerial(TCommPort& port, std::string& buffer) {
  const std::size_t wanted = buffer.size();
  std::size_t p = 0;
  for (;;) {
    const std::size_t chunk = std::min(wanted - p, kSerialReadChunk);
    const int timeout = port.ReadConstantMs + port.ReadMultiplierMs * static_cast<int>(chunk);
    std::string error;
    ++port.ReadCalls;
    const long got = posix::ReadWithin(port.ReadHandle, buffer.data() + p, chunk, timeout, error);
    if (got < 0) Fail("ReadFile failed: " + error);
    p += static_cast<std::size_t>(got);
    // Reads longer than one chunk go on until everything has come or a read
    // brings nothing (the line went quiet).
    if (wanted <= kSerialReadChunk || p >= wanted || got == 0) break;
  }
  port.BufCount = static_cast<std::uint32_t>(p);
  return static_cast<int>(p);
}

bool BufferExhausted(const TCommPort& port) { return port.BufCount < port.BufPos; }

int ReadUsb(TCommPort& port, std::string& buffer, int timeoutMs) {
  TSessionHost& host = LinkHost();
  const std::size_t wanted = buffer.size();
  std::size_t p = 0;
  while (p < wanted) {
    while (BufferExhausted(port)) {
      if (host.OnUiThread()) host.ProcessMessages();
      SafeRead();
      if (port.BufCount > 0) {
        port.EmptySince = 0;
        continue;
      }
      const TTickMs now = TickCount();
      if (port.EmptySince == 0) port.EmptySince = now;
      const TTickMs elapsed = now - port.EmptySince;
      if (elapsed > 0) Log(std::string(texts::kLogNoData) + std::to_string(elapsed));
      if (elapsed >= kUsbSilenceLimitMs) {
        Log(texts::kLogZeroReadsTooLong);
        port.EmptySince = now;
        if (!host.CommandStatusVisible() && !host.PromptVisible()) FatalDisconnect();
      }
      if (elapsed >= timeoutMs) break;
    }
    if (BufferExhausted(port)) break;  // timed out
    const std::size_t n = std::min<std::size_t>(wanted - p, port.BufCount - port.BufPos + 1);
    std::copy_n(port.Buffer.begin() + (port.BufPos - 1), n, buffer.begin() + static_cast<std::ptrdiff_t>(p));
    port.BufPos += static_cast<std::uint32_t>(n);
    p += n;
  }
  return static_cast<int>(p);
}

void SetReadTimeouts(int constantMs) {
  TCommPort& port = CommPort();
  if (port.Mode != ModeSerial) return;
  port.ReadConstantMs = constantMs;
  port.ReadMultiplierMs = kReadMultiplierMs;
}

}  // namespace

TCommPort& CommPort() {
  static TCommPort port;
  return port;
}

TLinkTiming& CurrentTiming() {
  static TLinkTiming timing = SerialSlow;
  return timing;
}

void SetLinkHost(TSessionHost* host) { g_host = host; }

TSessionHost& LinkHost() {
  if (g_host) return *g_host;
  static THeadlessHost silent;
  return silent;
}

void OpenComm(const std::string& portName, int speed) {
  TCommPort& port = CommPort();
  if (port.ReadHandle >= 0) CloseComm();
  port.WriteHandle = -1;
  if (IsUsbPortName(portName))
    OpenUsb(port, portName);
  else
    OpenSerial(port, portName, speed);
  WindowStep([] { LinkHost().SetConnected(true); });
}

void CloseComm() {
  TCommPort& port = CommPort();
  port.Reader.reset();  // stops the reader thread, even in the middle of a read
  if (port.WriteHandle == port.ReadHandle) port.WriteHandle = -1;
  if (port.ReadHandle >= 0) {
    posix::CloseFd(port.ReadHandle);
    posix::CloseFd(port.WriteHandle);
    ResetRecord(port);
  }
}

int ReadComm(std::string& buffer, int timeoutMs) {
  TCommPort& port = CommPort();
  const int result = port.Mode == ModeUsb ? ReadUsb(port, buffer, timeoutMs) : ReadSerial(port, buffer);
  std::fill(buffer.begin() + result, buffer.end(), '\0');
  if (result > 0 && static_cast<std::size_t>(result) < buffer.size()) Log(texts::kLogPartialRead);
  return result;
}

void WriteComm(const std::string& data) {
  TCommPort& port = CommPort();
  std::string error;
  if (!posix::WriteWithin(port.WriteHandle, data.data(), data.size(), WriteTimeoutMs(data.size()), error))
    Fail("WriteFile failed: " + error);
  // Silence is counted from the PC's latest request: a silence that began
  // before it (a timed-out read, then an idle link or a long prompt) would
  // otherwise end the session at the first answer slower than one read slice.
  port.EmptySince = 0;
}

void ClearInput() {
  TCommPort& port = CommPort();
  Log(texts::kLogClearStart);
  const TTickMs start = TickCount();
  auto tooLong = [start] { return TickCount() - start > kClearInputLimitMs; };
  if (port.Mode == ModeSerial) {
    const int savedConstant = port.ReadConstantMs;
    const int savedMultiplier = port.ReadMultiplierMs;
    SetShortTimeouts();
    for (int empty = 0; empty < 2;) {
      if (tooLong()) Fail("The input never went quiet");
      posix::DrainOutputThenFlushInput(port.ReadHandle, WriteTimeoutMs(kDriverQueueSize));
      std::string six(6, '\0');
      ReadComm(six, kUsbSilenceLimitMs);
      empty = six == std::string(6, '\0') ? empty + 1 : 0;
    }
    port.ReadConstantMs = savedConstant;
    port.ReadMultiplierMs = savedMultiplier;
  } else {
    for (int empty = 0; empty < 4;) {
      if (tooLong()) Fail("The input never went quiet");
      port.BufCount = 0;
      std::string block(300, '\0');
      ReadComm(block, 10);
      empty = block.compare(0, 6, std::string(6, '\0')) == 0 ? empty + 1 : 0;
    }
    port.BufCount = 0;
  }
  Log(texts::kLogClearEnd);
}

void SetShortTimeouts() { SetReadTimeouts(kShortReadConstantMs); }
void SetLongTimeouts() { SetReadTimeouts(kLongReadConstantMs); }

void ChangeSpeed(int speed) {
  TCommPort& port = CommPort();
  if (port.Mode == ModeSerial) {
    std::string error;
    if (!posix::SetTtySpeed(port.ReadHandle, speed, error)) Fail("SetCommState failed: " + error);
  }
  Log(std::string(texts::kLogChangingSpeed) + std::to_string(speed));
}

void SafeRead() {
  TCommPort& port = CommPort();
  if (!port.Reader) port.Reader = std::make_unique<TSafeRdThread>(port.ReadHandle);
  port.BufCount = 0;
  port.BufPos = 1;
  bool timedOut = false;
  const std::size_t n = port.Reader->SafeRead(port.Buffer, timedOut);
  if (timedOut)
    Log(texts::kLogSafeReadTimeOut);
  else
    port.BufCount = static_cast<std::uint32_t>(n);
}

void FatalDisconnect() {
  Log(texts::kLogSeriousError);
  WindowStep([] {
    TSessionHost& host = LinkHost();
    host.SetConnected(false);
    host.CloseConnectionStatus();
    host.ProcessMessages();
  });
  CloseTransferFiles();
  SleepMs(kFatalPauseMs);
  WindowStep([] { LinkHost().FocusMainWindow(); });
  throw TConnectionError();
}

}  // namespace bridgit

#include "link/comm_port.h"

#include <fcntl.h>

#include <algorithm>

#include "base/clock.h"
#include "base/log.h"
#include "link/comm_error.h"
#include "link/port_names.h"
#include "link/serial_device.h"
#include "link/texts.h"

namespace bridgit {

namespace {

constexpr int kShortReadConstantMs = 100;
constexpr int kLongReadConstantMs = 3000;
constexpr int kReadMultiplierMs = 1;
constexpr int kWriteConstantMs = 100;
constexpr int kWriteMultiplierMs = 30;
constexpr std::size_t kDriverQueueSize = 2048;
// A line that never goes quiet (a stuck or babbling device) ends the drain.
constexpr TTickMs kClearInputLimitMs = 60000;

int WriteTimeoutMs(std::size_t bytes) {
  return kWriteConstantMs + kWriteMultiplierMs * static_cast<int>(std::min<std::size_t>(bytes, 1u << 24));
}

}  // namespace

void TCommPort::Fail(const std::string& cause) {
  Log(cause);
  FatalDisconnect();
}

void TCommPort::ResetRecord() {
  readHandle_ = writeHandle_ = -1;
  mode_ = ModeSerial;
  bufCount_ = 0;
  bufPos_ = 1;
  emptySince_ = 0;
  portName_.clear();
}

void TCommPort::OpenUsb(const std::string& portName) {
  Timing() = Usb;
  bufCount_ = 0;
  bufPos_ = 1;
  emptySince_ = 0;
  mode_ = ModeUsb;
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
  readHandle_ = readFd;
  writeHandle_ = writeFd;
  portName_ = portName;
}

void TCommPort::OpenSerial(const std::string& portName, int speed) {
  Log(std::string(texts::kLogCreateFile) + portName);
  const std::string path = SerialDevicePath(portName);
  std::string error;
  const int fd = posix::OpenExclusive(path, O_RDWR, error);
  if (fd < 0) Fail("CreateFile failed for " + path + ": " + error);
  Timing() = speed <= 9600 ? SerialSlow : SerialFast;
  Log(std::string(texts::kLogSetCommState) + portName);
  if (!posix::ConfigureTty(fd, speed, error)) {
    posix::CloseFd(fd);
    Fail("SetCommState failed for " + path + ": " + error);
  }
  readHandle_ = writeHandle_ = fd;
  mode_ = ModeSerial;
  portName_ = portName;
  SetLongTimeouts();
}

int TCommPort::ReadSerial(std::string& buffer) {
  const std::size_t wanted = buffer.size();
  std::size_t p = 0;
  for (;;) {
    const std::size_t chunk = std::min(wanted - p, kSerialReadChunk);
    const int timeout = readConstantMs_ + readMultiplierMs_ * static_cast<int>(chunk);
    std::string error;
    ++readCalls_;
    const long got = posix::ReadWithin(readHandle_, buffer.data() + p, chunk, timeout, error);
    if (got < 0) Fail("ReadFile failed: " + error);
    p += static_cast<std::size_t>(got);
    // Reads longer than one chunk go on until everything has come or a read
    // brings nothing (the line went quiet).
    if (wanted <= kSerialReadChunk || p >= wanted || got == 0) break;
  }
  bufCount_ = static_cast<std::uint32_t>(p);
  return static_cast<int>(p);
}

int TCommPort::ReadUsb(std::string& buffer, int timeoutMs) {
  TSessionHost& host = Host();
  const std::size_t wanted = buffer.size();
  std::size_t p = 0;
  while (p < wanted) {
    while (BufferExhausted()) {
      if (host.OnUiThread()) host.ProcessMessages();
      SafeRead();
      if (bufCount_ > 0) {
        emptySince_ = 0;
        continue;
      }
      const TTickMs now = TickCount();
      if (emptySince_ == 0) emptySince_ = now;
      const TTickMs elapsed = now - emptySince_;
      if (elapsed > 0) Log(std::string(texts::kLogNoData) + std::to_string(elapsed));
      if (elapsed >= kUsbSilenceLimitMs) {
        Log(texts::kLogZeroReadsTooLong);
        emptySince_ = now;
        if (!host.CommandStatusVisible() && !host.PromptVisible()) FatalDisconnect();
      }
      if (elapsed >= timeoutMs) break;
    }
    if (BufferExhausted()) break;  // timed out
    const std::size_t n = std::min<std::size_t>(wanted - p, bufCount_ - bufPos_ + 1);
    std::copy_n(buffer_.begin() + (bufPos_ - 1), n, buffer.begin() + static_cast<std::ptrdiff_t>(p));
    bufPos_ += static_cast<std::uint32_t>(n);
    p += n;
  }
  return static_cast<int>(p);
}

void TCommPort::SetReadTimeouts(int constantMs) {
  if (mode_ != ModeSerial) return;
  readConstantMs_ = constantMs;
  readMultiplierMs_ = kReadMultiplierMs;
}

TCommPort::~TCommPort() { CloseComm(); }

void TCommPort::OpenComm(const std::string& portName, int speed) {
  if (readHandle_ >= 0) CloseComm();
  writeHandle_ = -1;
  if (IsUsbPortName(portName))
    OpenUsb(portName);
  else
    OpenSerial(portName, speed);
  WindowStep([this] { Host().SetConnected(true); });
}

void TCommPort::CloseComm() {
  reader_.reset();  // stops the reader thread, even in the middle of a read
  if (writeHandle_ == readHandle_) writeHandle_ = -1;
  if (readHandle_ >= 0) {
    posix::CloseFd(readHandle_);
    posix::CloseFd(writeHandle_);
    ResetRecord();
  }
}

int TCommPort::ReadComm(std::string& buffer, int timeoutMs) {
  const int result = mode_ == ModeUsb ? ReadUsb(buffer, timeoutMs) : ReadSerial(buffer);
  std::fill(buffer.begin() + result, buffer.end(), '\0');
  if (result > 0 && static_cast<std::size_t>(result) < buffer.size()) Log(texts::kLogPartialRead);
  return result;
}

void TCommPort::WriteComm(const std::string& data) {
  std::string error;
  if (!posix::WriteWithin(writeHandle_, data.data(), data.size(), WriteTimeoutMs(data.size()), error))
    Fail("WriteFile failed: " + error);
  // Silence is counted from the PC's latest request: a silence that began
  // before it (a timed-out read, then an idle link or a long prompt) would
  // otherwise end the session at the first answer slower than one read slice.
  emptySince_ = 0;
}

void TCommPort::ClearInput() {
  Log(texts::kLogClearStart);
  const TTickMs start = TickCount();
  auto tooLong = [start] { return TickCount() - start > kClearInputLimitMs; };
  if (mode_ == ModeSerial) {
    const int savedConstant = readConstantMs_;
    const int savedMultiplier = readMultiplierMs_;
    SetShortTimeouts();
    for (int empty = 0; empty < 2;) {
      if (tooLong()) Fail("The input never went quiet");
      posix::DrainOutputThenFlushInput(readHandle_, WriteTimeoutMs(kDriverQueueSize));
      std::string six(6, '\0');
      ReadComm(six, kUsbSilenceLimitMs);
      empty = six == std::string(6, '\0') ? empty + 1 : 0;
    }
    readConstantMs_ = savedConstant;
    readMultiplierMs_ = savedMultiplier;
  } else {
    for (int empty = 0; empty < 4;) {
      if (tooLong()) Fail("The input never went quiet");
      bufCount_ = 0;
      std::string block(300, '\0');
      ReadComm(block, 10);
      empty = block.compare(0, 6, std::string(6, '\0')) == 0 ? empty + 1 : 0;
    }
    bufCount_ = 0;
  }
  Log(texts::kLogClearEnd);
}

void TCommPort::SetShortTimeouts() { SetReadTimeouts(kShortReadConstantMs); }
void TCommPort::SetLongTimeouts() { SetReadTimeouts(kLongReadConstantMs); }

void TCommPort::ChangeSpeed(int speed) {
  if (mode_ == ModeSerial) {
    std::string error;
    if (!posix::SetTtySpeed(readHandle_, speed, error)) Fail("SetCommState failed: " + error);
  }
  Log(std::string(texts::kLogChangingSpeed) + std::to_string(speed));
}

std::size_t TCommPort::SafeRead() {
  if (!reader_) reader_ = std::make_unique<TSafeRdThread>(readHandle_);
  bufCount_ = 0;
  bufPos_ = 1;
  bool timedOut = false;
  const std::size_t n = reader_->SafeRead(buffer_, timedOut);
  if (timedOut)
    Log(texts::kLogSafeReadTimeOut);
  else
    bufCount_ = static_cast<std::uint32_t>(n);
  return bufCount_;
}

void TCommPort::WriteUnchecked(const char* data, std::size_t n) {
  std::string ignored;
  posix::WriteWithin(writeHandle_, data, n, WriteTimeoutMs(n), ignored);
}

}  // namespace bridgit

#include "link/tty_link.h"

#include <fcntl.h>

#include <algorithm>

#include "base/clock.h"
#include "base/log.h"
#include "link/device_links.h"
#include "link/port_names.h"
#include "link/serial_device.h"
#include "link/texts.h"

namespace bridgit {

namespace {

constexpr int kShortReadConstantMs = 100;
constexpr int kLongReadConstantMs = 3000;
constexpr int kReadMultiplierMs = 1;
constexpr std::size_t kDriverQueueSize = 2048;
// A line that never goes quiet (a stuck or babbling device) ends the drain.
constexpr TTickMs kClearInputLimitMs = 60000;

}  // namespace

void TTtyLink::OpenComm(const std::string& portName, int speed) {
  if (IsOpen()) CloseComm();
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
  SetLongTimeouts();
  WindowStep([this] { Host().SetConnected(true); });
}

int TTtyLink::ReadComm(std::string& buffer, int) {
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
  return FinishRead(buffer, static_cast<int>(p));
}

void TTtyLink::ClearInput() {
  Log(texts::kLogClearStart);
  const TTickMs start = TickCount();
  const int savedConstant = readConstantMs_;
  const int savedMultiplier = readMultiplierMs_;
  SetShortTimeouts();
  for (int empty = 0; empty < 2;) {
    if (TickCount() - start > kClearInputLimitMs) Fail("The input never went quiet");
    posix::DrainOutputThenFlushInput(readHandle_, WriteTimeoutMs(kDriverQueueSize));
    std::string six(6, '\0');
    ReadComm(six, kUsbSilenceLimitMs);
    empty = six == std::string(6, '\0') ? empty + 1 : 0;
  }
  readConstantMs_ = savedConstant;
  readMultiplierMs_ = savedMultiplier;
  Log(texts::kLogClearEnd);
}

void TTtyLink::SetShortTimeouts() {
  readConstantMs_ = kShortReadConstantMs;
  readMultiplierMs_ = kReadMultiplierMs;
}

void TTtyLink::SetLongTimeouts() {
  readConstantMs_ = kLongReadConstantMs;
  readMultiplierMs_ = kReadMultiplierMs;
}

void TTtyLink::ChangeSpeed(int speed) {
  std::string error;
  if (!posix::SetTtySpeed(readHandle_, speed, error)) Fail("SetCommState failed: " + error);
  Log(std::string(texts::kLogChangingSpeed) + std::to_string(speed));
}

std::unique_ptr<TLink> MakeSerialLink(TSessionHost& host) { return std::make_unique<TTtyLink>(host); }

}  // namespace bridgit

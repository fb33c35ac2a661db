#include "link/usb_link.h"

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
// A line that never goes quiet (a stuck or babbling device) ends the drain.
constexpr TTickMs kClearInputLimitMs = 60000;
}  // namespace

void TUsbLink::OpenComm(const std::string& portName, int) {
  if (IsOpen()) CloseComm();
  Timing() = Usb;
  bufCount_ = 0;
  bufPos_ = 1;
  emptySince_ = 0;
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
  WindowStep([this] { Host().SetConnected(true); });
}

void TUsbLink::OnClose() {
  reader_.reset();
  bufCount_ = 0;
  bufPos_ = 1;
  emptySince_ = 0;
}

int TUsbLink::ReadComm(std::string& buffer, int timeoutMs) {
  TSessionHost& host = Host();
  const std::size_t wanted = buffer.size();
  std::size_t p = 0;
  while (p < wanted) {
    while (BufferExhausted()) {
      if (host.OnUiThread()) host.ProcessMessages();
      if (SafeRead() > 0) {
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
  return FinishRead(buffer, static_cast<int>(p));
}

void TUsbLink::ClearInput() {
  Log(texts::kLogClearStart);
  const TTickMs start = TickCount();
  for (int empty = 0; empty < 4;) {
    if (TickCount() - start > kClearInputLimitMs) Fail("The input never went quiet");
    bufCount_ = 0;
    std::string block(300, '\0');
    ReadComm(block, 10);
    empty = block.compare(0, 6, std::string(6, '\0')) == 0 ? empty + 1 : 0;
  }
  bufCount_ = 0;
  Log(texts::kLogClearEnd);
}

void TUsbLink::ChangeSpeed(int speed) { Log(std::string(texts::kLogChangingSpeed) + std::to_string(speed)); }

std::size_t TUsbLink::SafeRead() {
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

std::unique_ptr<TLink> MakeUsbLink(TSessionHost& host) { return std::make_unique<TUsbLink>(host); }

}  // namespace bridgit

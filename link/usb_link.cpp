#include "link/usb_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "base/log.h"
#include "link/device_links.h"
#include "link/port_names.h"
#include "link/serial_device.h"
#include "link/texts.h"

namespace bridgit {

TUsbLink::TUsbLink(TSessionHost& host)
    : TPosixLink(host), readAhead_(*this, [this] {
        return std::make_unique<TSafeRdThread>([this](unsigned char* buf, std::size_t n) { return BlockingRead(buf, n); },
                                               [this] {
                                                 const std::uint64_t one = 1;
                                                 [[maybe_unused]] const auto w = ::write(wakeFd_, &one, sizeof one);
                                               });
      }) {}

void TUsbLink::OpenComm(const std::string& portName, int) {
  if (IsOpen()) CloseComm();
  Timing() = Usb;
  readAhead_.Stop();
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
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  WindowStep([this] { Host().SetConnected(true); });
}

long TUsbLink::BlockingRead(unsigned char* buf, std::size_t n) {
  pollfd p[2] = {{readHandle_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  // Without an eventfd the thread looks for its stop every 100 ms.
  const int ready = ::poll(p, wakeFd_ >= 0 ? 2 : 1, wakeFd_ >= 0 ? -1 : 100);
  if (ready <= 0 || (p[1].revents & POLLIN)) return -1;
  const ssize_t r = ::read(readHandle_, buf, n);
  if (r > 0) return static_cast<long>(r);
  // End of file or a failed read counts as no data; a read that would block
  // (another poll woke first) is simply tried again.
  return r < 0 && (errno == EAGAIN || errno == EINTR) ? -1 : 0;
}

void TUsbLink::OnClose() {
  readAhead_.Stop();
  if (wakeFd_ >= 0) ::close(wakeFd_);
  wakeFd_ = -1;
}

void TUsbLink::ChangeSpeed(int speed) { Log(std::string(texts::kLogChangingSpeed) + std::to_string(speed)); }

std::unique_ptr<TLink> MakeUsbLink(TSessionHost& host) { return std::make_unique<TUsbLink>(host); }

std::size_t TUsbLink::SafeRead() {
  if (!IsOpen()) Fail(std::string(texts::kLogReadOnClosedLink));  // as a closed serial port's read fails
  return readAhead_.SafeRead();
}

}  // namespace bridgit

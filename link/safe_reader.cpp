#include "link/safe_reader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "link/serial_device.h"

namespace bridgit {

namespace {
// After end of file (the calculator side went away) the thread pauses this long
// before it tries again, instead of spinning.
constexpr int kEndOfFilePauseMs = 20;
}  // namespace

TSafeRdThread::TSafeRdThread(int readFd)
    : readFd_(readFd), wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), thread_([this] { Body(); }) {}

TSafeRdThread::~TSafeRdThread() {
  stop_ = true;
  request_.Signal();
  if (wakeFd_ >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto w = ::write(wakeFd_, &one, sizeof one);
  }
  if (thread_.joinable()) thread_.join();
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void TSafeRdThread::Body() {
  std::array<unsigned char, kReadAheadSize> buffer{};
  while (!stop_) {
    if (!request_.Wait(std::chrono::milliseconds(1000))) continue;
    std::size_t count = 0;
    while (count == 0 && !stop_) {
      pollfd p[2] = {{readFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
      const int ready = ::poll(p, wakeFd_ >= 0 ? 2 : 1, wakeFd_ >= 0 ? -1 : 100);
      if (stop_) return;
      if (ready <= 0) continue;
      const ssize_t r = ::read(readFd_, buffer.data(), buffer.size());
      if (r > 0) {
        count = static_cast<std::size_t>(r);
        posix::CountReceivedBytes(count);
      } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
        // End of file or a failed read counts as no data: retry after a pause.
        std::this_thread::sleep_for(std::chrono::milliseconds(kEndOfFilePauseMs));
      }
    }
    if (stop_) return;
    handOver_ = buffer;
    handOverCount_ = count;
    done_.Signal();
  }
}

std::size_t TSafeRdThread::SafeRead(std::array<unsigned char, kReadAheadSize>& out, bool& timedOut) {
  if (!pending_) request_.Signal();
  pending_ = true;
  timedOut = false;
  if (!done_.Wait(std::chrono::milliseconds(kSafeReadSliceMs))) {
    timedOut = true;
    return 0;
  }
  pending_ = false;
  out = handOver_;
  return handOverCount_;
}

}  // namespace bridgit

#include "sim/paced_relay.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace bridgit::sim {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes forwarded in one step: small enough that arrival times stay close to
// a real line's (32 bytes are 2.8 ms at 115200 baud).
constexpr std::size_t kStep = 32;
// How late a wake-up may be and still continue the line's previous bytes.
constexpr auto kStillBusy = std::chrono::milliseconds(2);

bool WriteAll(int fd, const char* data, std::size_t n, const std::atomic<bool>& stop) {
  while (n > 0 && !stop) {
    const ssize_t w = ::write(fd, data, n);
    if (w > 0) {
      data += w;
      n -= static_cast<std::size_t>(w);
    } else if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd p{fd, POLLOUT, 0};
      ::poll(&p, 1, 50);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

TPacedRelay::TPacedRelay(int fdA, int fdB, int baud) : fdA_(fdA), fdB_(fdB), baud_(baud) {
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
  ab_ = std::thread([this] { Pump(fdA_, fdB_, aToB_); });
  ba_ = std::thread([this] { Pump(fdB_, fdA_, bToA_); });
}

TPacedRelay::~TPacedRelay() {
  Stop();
  for (int fd : wake_)
    if (fd >= 0) ::close(fd);
}

void TPacedRelay::Stop() {
  if (stop_.exchange(true)) return;
  if (wake_[1] >= 0) [[maybe_unused]] auto w = ::write(wake_[1], "x", 1);
  if (ab_.joinable()) ab_.join();
  if (ba_.joinable()) ba_.join();
}

void TPacedRelay::Pump(int from, int to, std::atomic<std::uint64_t>& count) {
  const auto byteTime = baud_ > 0 ? std::chrono::nanoseconds(10'000'000'000LL / baud_) : std::chrono::nanoseconds(0);
  auto lineFree = Clock::now();  // when the line has finished the bytes already sent
  char buf[kStep];
  while (!stop_) {
    pollfd p[2] = {{from, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    const int ready = ::poll(p, 2, 200);
    if (stop_) return;
    if (ready <= 0) continue;
    if (!(p[0].revents & POLLIN)) {
      if (p[0].revents & (POLLHUP | POLLERR)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    const ssize_t r = ::read(from, buf, sizeof buf);
    if (r <= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    if (baud_ > 0) {
      // The bytes arrive once the line has carried their last bit. A line that
      // was busy until a moment ago is still busy: a late wake-up of this thread
      // must not count as idle line time.
      const auto now = Clock::now();
      const auto start = now - lineFree < kStillBusy ? lineFree : now;
      const auto due = start + byteTime * r;
      std::this_thread::sleep_until(due);
      lineFree = due;
    }
    if (!WriteAll(to, buf, static_cast<std::size_t>(r), stop_)) return;
    count += static_cast<std::uint64_t>(r);
  }
}

}  // namespace bridgit::sim

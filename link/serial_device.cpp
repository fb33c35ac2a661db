#include "link/serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace bridgit::posix {

namespace {

// The settings each open tty had before the link changed them, put back at close.
std::mutex g_savedLock;
std::map<int, termios> g_saved;

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

std::string ErrnoText(int err) { return std::strerror(err); }

int OpenExclusive(const std::string& path, int accessFlags, std::string& error) {
  const int fd = ::open(path.c_str(), accessFlags | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    RecordOpen(path, errno);
    error = ErrnoText(errno);
    return -1;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    RecordOpen(path, errno);
    error = errno == EWOULDBLOCK ? "the port is in use" : ErrnoText(errno);
    ::close(fd);
    return -1;
  }
  if (::isatty(fd)) {
    termios before{};
    if (::tcgetattr(fd, &before) == 0) {
      std::lock_guard lock(g_savedLock);
      g_saved[fd] = before;
    }
    ::ioctl(fd, TIOCEXCL);
  }
  RecordOpen(path, 0);
  return fd;
}

void CloseFd(int fd) {
  if (fd < 0) return;
  std::optional<termios> before;
  {
    std::lock_guard lock(g_savedLock);
    if (const auto it = g_saved.find(fd); it != g_saved.end()) {
      before = it->second;
      g_saved.erase(it);
    }
  }
  if (before) {
    // The tty is left as it was found, for the next program: its settings
    // once the output has gone (bounded first: a stuck adapter never drains),
    // and open to others again.
    int pending = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(500);
    while (::ioctl(fd, TIOCOUTQ, &pending) == 0 && pending > 0 && MsLeft(deadline) > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (pending > 0) ::tcflush(fd, TCOFLUSH);
    ::tcsetattr(fd, TCSADRAIN, &*before);
    ::ioctl(fd, TIOCNXCL);
  }
  ::close(fd);
}

unsigned BaudConstant(int speed) {
  switch (speed) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
  }
}

bool ConfigureTty(int fd, int speed, std::string& error) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) {
    error = ErrnoText(errno);
    return false;
  }
  const speed_t baud = BaudConstant(speed);
  if (baud == 0) {
    error = "unsupported speed " + std::to_string(speed);
    return false;
  }
  ::cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  t.c_cflag |= CS8 | CREAD | CLOCAL;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, baud);
  ::cfsetospeed(&t, baud);
  if (::tcsetattr(fd, TCSANOW, &t) != 0) {
    error = ErrnoText(errno);
    return false;
  }
  // Modem lines: a pseudo-terminal has none, which is no error.
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIS, &lines);
  return true;
}

bool SetTtySpeed(int fd, int speed, std::string& error) {
  const speed_t baud = BaudConstant(speed);
  if (baud == 0) {
    error = "unsupported speed " + std::to_string(speed);
    return false;
  }
  termios t{};
  if (::tcgetattr(fd, &t) != 0 || ::cfsetispeed(&t, baud) != 0 || ::cfsetospeed(&t, baud) != 0 ||
      ::tcsetattr(fd, TCSANOW, &t) != 0) {
    error = ErrnoText(errno);
    return false;
  }
  return true;
}

long ReadWithin(int fd, char* buf, std::size_t n, int timeoutMs, std::string& error) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t got = 0;
  while (got < n) {
    const int left = MsLeft(deadline);
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, left);
    if (ready < 0 && errno != EINTR) {
      error = ErrnoText(errno);
      return -1;
    }
    if (ready > 0) {
      if (p.revents & POLLNVAL) {
        error = "invalid handle";
        return -1;
      }
      const ssize_t r = ::read(fd, buf + got, n - got);
      if (r > 0) {
        got += static_cast<std::size_t>(r);
        CountReceivedBytes(static_cast<std::size_t>(r));
        continue;
      }
      if (r < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
        error = ErrnoText(errno);
        return -1;
      }
      // End of file, or a pseudo-terminal whose master closed: the other end
      // is gone, which reads as silence (as on a cut cable). Pause, never spin.
      if (r == 0 || errno == EIO) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 10)));
    }
    if (left == 0) break;  // the time is up: that was the last look
  }
  return static_cast<long>(got);
}

bool WriteWithin(int fd, const char* data, std::size_t n, int timeoutMs, std::string& error) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::size_t sent = 0;
  while (sent < n) {
    const ssize_t w = ::write(fd, data + sent, n - sent);
    if (w > 0) {
      sent += static_cast<std::size_t>(w);
      CountLineBytes(static_cast<std::size_t>(w));
      continue;
    }
    if (w < 0 && errno != EAGAIN && errno != EINTR) {
      error = ErrnoText(errno);
      return false;
    }
    pollfd p{fd, POLLOUT, 0};
    const int left = MsLeft(deadline);
    if (left == 0 || ::poll(&p, 1, left) == 0) {
      error = "write timed out";
      return false;
    }
    if (p.revents & (POLLERR | POLLNVAL)) {
      error = "device error";
      return false;
    }
  }
  return true;
}

void DrainOutputThenFlushInput(int fd, int timeoutMs) {
  // tcdrain() can wait for ever on a stuck adapter: watch the output queue
  // ourselves, within the time.
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int pending = 0;
  while (::ioctl(fd, TIOCOUTQ, &pending) == 0 && pending > 0 && MsLeft(deadline) > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ::tcflush(fd, TCIFLUSH);
}

}  // namespace bridgit::posix

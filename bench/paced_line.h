// A pseudo-terminal for the PC end of a benchmark line, and raw opens of the
// other ends, so that a paced relay can join them at a chosen baud rate.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace bridgit::bench {

struct TLine {
  int master = -1, slave = -1;
  std::string path;
  TLine() {
    char name[256] = {};
    ::openpty(&master, &slave, name, nullptr, nullptr);
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    path = name;
  }
  ~TLine() {
    ::close(master);
    ::close(slave);
  }
  TLine(const TLine&) = delete;
  TLine& operator=(const TLine&) = delete;
};

// Opens a terminal raw, at the speed when one is given (a peer that checks the
// PC's speed sees this one).
inline int OpenRaw(const std::string& path, speed_t speed = B0) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  termios t{};
  if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
    ::cfmakeraw(&t);
    if (speed != B0) ::cfsetspeed(&t, speed);
    ::tcsetattr(fd, TCSANOW, &t);
  }
  return fd;
}

}  // namespace bridgit::bench

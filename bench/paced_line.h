// Raw opens of the far ends of a benchmark line, so that a paced relay can
// join them to the PC's pseudo-terminal (test::TPtyPair) at a chosen baud rate.
#pragma once

#include <fcntl.h>
#include <termios.h>

#include <string>

#include "link/serial_device.h"

namespace bridgit::bench {

// Opens a terminal raw, at the speed when one is given (a peer that checks the
// PC's speed sees this one).
inline int OpenRaw(const std::string& path, int baud = 0) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  termios t{};
  if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
    ::cfmakeraw(&t);
    if (const unsigned speed = posix::BaudConstant(baud); speed != 0) ::cfsetspeed(&t, speed);
    ::tcsetattr(fd, TCSANOW, &t);
  }
  return fd;
}

}  // namespace bridgit::bench

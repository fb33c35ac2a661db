// bridgit-relay: a serial line of a chosen speed between two programs.
//
//   bridgit-relay --baud 115200 [--link-a PATH] [--connect PATH | --link-b PATH]
//
// Side A is always a new pseudo-terminal; side B is a new one too, or an
// existing terminal given by --connect (for example a socat link). The paths of
// the terminal ends are printed, one a line ("A PATH", "B PATH"); the relay runs
// until it is interrupted or standard input closes.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <string>

#include "sim/paced_relay.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

struct TPty {
  int master = -1;
  int slave = -1;
  std::string path;
};

bool MakePty(TPty& p, const std::string& link) {
  char name[256] = {};
  if (::openpty(&p.master, &p.slave, name, nullptr, nullptr) != 0) return false;
  termios t{};
  ::tcgetattr(p.slave, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(p.slave, TCSANOW, &t);
  p.path = name;
  if (!link.empty()) {
    std::error_code ec;
    std::filesystem::remove(link, ec);
    std::filesystem::create_symlink(name, link, ec);
    if (ec) return false;
    p.path = link;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"A paced serial line between two programs"};
  int baud = 115200;
  std::string linkA, linkB, connect;
  app.add_option("--baud", baud, "line speed in baud (10 bits a byte); 0 for no pacing")->check(CLI::NonNegativeNumber);
  app.add_option("--link-a", linkA, "symlink to create for side A's terminal");
  app.add_option("--link-b", linkB, "symlink to create for side B's terminal");
  app.add_option("--connect", connect, "an existing terminal to use as side B");
  CLI11_PARSE(app, argc, argv);

  TPty a, b;
  if (!MakePty(a, linkA)) {
    std::fprintf(stderr, "bridgit-relay: cannot create a pseudo-terminal for side A\n");
    return 1;
  }
  int fdB = -1;
  if (!connect.empty()) {
    fdB = ::open(connect.c_str(), O_RDWR | O_NOCTTY);
    if (fdB < 0) {
      std::fprintf(stderr, "bridgit-relay: cannot open %s\n", connect.c_str());
      return 1;
    }
    termios t{};
    if (::tcgetattr(fdB, &t) == 0) {
      ::cfmakeraw(&t);
      // The terminal it joins runs at the line's speed, as a device at its end would see it.
      for (const auto& [rate, code] : {std::pair{9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}})
        if (baud == rate) ::cfsetspeed(&t, code);
      ::tcsetattr(fdB, TCSANOW, &t);
    }
    b.path = connect;
  } else {
    if (!MakePty(b, linkB)) {
      std::fprintf(stderr, "bridgit-relay: cannot create a pseudo-terminal for side B\n");
      return 1;
    }
    fdB = b.master;
  }
  std::printf("A %s\nB %s\n", a.path.c_str(), b.path.c_str());
  std::fflush(stdout);

  std::signal(SIGINT, [](int) { g_stop = 1; });
  std::signal(SIGTERM, [](int) { g_stop = 1; });
  bridgit::sim::TPacedRelay relay(a.master, fdB, baud);
  while (!g_stop) {
    pollfd p{STDIN_FILENO, POLLIN, 0};
    if (::poll(&p, 1, 200) > 0) {
      char c;
      if (::read(STDIN_FILENO, &c, 1) <= 0) break;
    }
  }
  relay.Stop();
  return 0;
}

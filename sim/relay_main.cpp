// bridgit-relay: a serial line of a chosen speed between two programs.
//
//   bridgit-relay --baud 115200 [--link-a PATH] [--connect PATH | --link-b PATH]
//
// Side A is always a new pseudo-terminal; side B is a new one too, or an
// existing terminal given by --connect (for example a socat link). The paths of
// the terminal ends are printed, one a line ("A PATH", "B PATH"); the relay runs
// until SIGINT, SIGTERM or SIGHUP, then removes the links it made. It never
// reads standard input, so that it can run in the background of a shell.
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
#include <vector>

#include "sim/paced_relay.h"

#ifndef BRIDGIT_VERSION_STRING
#define BRIDGIT_VERSION_STRING "0.0.0"
#endif

namespace {

struct TPty {
  int master = -1;
  int slave = -1;
  std::string path;
};

void RemoveLinks(const std::vector<std::string>& links) {
  for (const std::string& link : links) {
    std::error_code ec;
    if (!link.empty() && std::filesystem::is_symlink(link, ec)) std::filesystem::remove(link, ec);
  }
}

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
    // Only a link (one left by an earlier run) is replaced, never a file.
    if (std::filesystem::is_symlink(link, ec)) std::filesystem::remove(link, ec);
    std::filesystem::create_symlink(name, link, ec);
    if (ec) return false;
    p.path = link;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"bridgit-relay: a paced serial line between two programs"};
  app.name("bridgit-relay");
  int baud = 115200;
  std::string linkA, linkB, connect;
  app.add_option("--baud", baud, "line speed in baud (10 bits a byte); 0 for no pacing")->check(CLI::NonNegativeNumber);
  app.add_option("--link-a", linkA, "symlink to create for side A's terminal");
  app.add_option("--link-b", linkB, "symlink to create for side B's terminal");
  app.add_option("--connect", connect, "an existing terminal to use as side B");
  app.set_version_flag("--version", std::string("bridgit-relay ") + BRIDGIT_VERSION_STRING, "print the version and exit");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help or --version, on standard output
    std::fprintf(stderr, "bridgit-relay: %s\n", e.what());
    return 2;
  }

  // Blocked before the relay's threads start, so that they inherit the mask
  // and the signals wait for sigwait below.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stopSignals, signal);
  ::pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

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
      RemoveLinks({linkA});
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
      RemoveLinks({linkA});
      return 1;
    }
    fdB = b.master;
  }
  std::printf("A %s\nB %s\n", a.path.c_str(), b.path.c_str());
  std::fflush(stdout);

  bridgit::sim::TPacedRelay relay(a.master, fdB, baud);
  int signal = 0;
  ::sigwait(&stopSignals, &signal);
  relay.Stop();
  RemoveLinks({linkA, linkB});
  return 0;
}

// bridgit-calcsim run beside a test: started with its arguments in a fresh
// folder, its first output line (the PC-side path) read, its control socket
// at hand, and stopped (writing its memory folder back) when the test is done.
// It holds the PC to the calculator's pauses unless told --hold-pauses off.
#pragma once

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/line_peer.h"
#ifdef BRIDGIT_EXPECT_PAUSES
#include <gtest/gtest.h>
#endif
#include "support/temp_dir.h"

#ifndef BRIDGIT_CALCSIM
#error "BRIDGIT_CALCSIM must name the simulator program"
#endif

namespace bridgit::test {

class TCalcSim {
 public:
  explicit TCalcSim(std::vector<std::string> args, bool withControl = true) {
    std::vector<std::string> all = {BRIDGIT_CALCSIM};
    if (withControl) {
      control_ = dir_ / "control";
      all.insert(all.end(), {"--control", control_});
    }
    const auto has = [&](const char* option) { return std::find(args.begin(), args.end(), option) != args.end(); };
    if (!has("--path") && !has("--usb-root")) all.insert(all.end(), {"--path", dir_ / "line"});
    all.insert(all.end(), args.begin(), args.end());
    // The tests choose the PC's speed freely; a test of speeds gives the server's.
    if (!has("--server-speed")) all.insert(all.end(), {"--server-speed", "any"});
#ifdef BRIDGIT_CALCSIM_IGNORES_PAUSES
    if (!has("--hold-pauses")) all.insert(all.end(), {"--hold-pauses", "off"});
#endif
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return;
    pid_ = Spawn(all, "", {-1, out[1], err[1]});
    ::close(out[1]), ::close(err[1]);
    stdout_ = out[0], stderr_ = err[0];
    pcPath_ = ReadLine(stdout_, 5000);
  }
  ~TCalcSim() {
#ifdef BRIDGIT_EXPECT_PAUSES
    // Bridgit keeps every pause: it never speaks while the calculator is deaf.
    if (pid_ > 0 && !control_.empty()) {
      EXPECT_EQ(Control("early"), "ok 0") << "a pause was cut short";
    }
#endif
    Stop();
    ::close(stdout_), ::close(stderr_);
  }
  TCalcSim(const TCalcSim&) = delete;
  TCalcSim& operator=(const TCalcSim&) = delete;

  // The path (or USB device name) the PC opens; empty when it did not start.
  const std::string& PcPath() const { return pcPath_; }
  const TTempDir& dir() const { return dir_; }

  // One control command and its answer (a dump's lines up to "end").
  std::string Control(const std::string& line) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, control_.c_str(), sizeof addr.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      ::close(fd);
      return "no control socket";
    }
    const std::string msg = line + "\n";
    [[maybe_unused]] auto w = ::write(fd, msg.data(), msg.size());
    const bool dump = line == "dump";  // a dump waits for the exchange in progress
    std::string answer, l;
    while (!(l = ReadLine(fd, dump ? 40000 : 10000)).empty() && dump && l != "end") answer += l + "\n";
    ::close(fd);
    return dump ? answer : l;
  }

  // The dump's line of HOME/`name` without that key ("Real 11 42."), or "".
  std::string DumpLine(const std::string& name) {
    const std::string dump = "\n" + Control("dump"), key = "\nHOME/" + name + " ";
    const std::size_t at = dump.find(key);
    return at == std::string::npos ? "" : dump.substr(at + key.size(), dump.find('\n', at + 1) - at - key.size());
  }

  // Stops it as a person would (SIGTERM); returns its exit status.
  int Stop() {
    if (pid_ <= 0) return status_;
    ::kill(pid_, SIGTERM);
    int st = 0;
    ::waitpid(pid_, &st, 0);
    pid_ = -1;
    return status_ = ExitCode(st);
  }
  // Waits for it to end by itself; the exit status, and its error output.
  int Wait(std::string& errors) {
    int st = 0;
    ::waitpid(pid_, &st, 0);
    pid_ = -1;
    char buf[4096];
    ssize_t r;
    while ((r = ::read(stderr_, buf, sizeof buf)) > 0) errors.append(buf, static_cast<std::size_t>(r));
    return ExitCode(st);
  }

 private:
  static std::string ReadLine(int fd, int timeoutMs) {
    std::string line;
    for (std::string c; (c = TLinePeer(fd, -1, false).Read(1, timeoutMs)) != "\n" && !c.empty();) line += c;
    return line;
  }

  TTempDir dir_;
  std::string control_;
  pid_t pid_ = -1;
  int status_ = -1;
  int stdout_ = -1, stderr_ = -1;
  std::string pcPath_;
};

}  // namespace bridgit::test

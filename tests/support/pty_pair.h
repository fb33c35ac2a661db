// A pseudo-terminal pair: the program opens the terminal end by its path, the
// test plays the calculator on the master end.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <string>

#include "support/line_peer.h"

namespace bridgit::test {

class TPtyPair {
 public:
  TPtyPair() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) path_ = name;
    // Raw from the start, so that nothing written before the program sets the
    // terminal up is echoed or translated.
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
  }
  ~TPtyPair() {
    CloseMaster();
    if (slave_ >= 0) ::close(slave_);
  }
  TPtyPair(const TPtyPair&) = delete;
  TPtyPair& operator=(const TPtyPair&) = delete;

  // The terminal end's path, as a user would name the port.
  const std::string& path() const { return path_; }
  // The test's own descriptor of the terminal end (kept open so that the
  // master never sees a hang-up between opens); used to read settings back.
  int slave() const { return slave_; }
  int master() const { return master_; }

  void Write(const std::string& bytes) const { TLinePeer(master_, -1, false).Send(bytes); }
  std::string Read(std::size_t n, int timeoutMs = 2000) const { return TLinePeer(master_, -1, false).Read(n, timeoutMs); }

  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

}  // namespace bridgit::test

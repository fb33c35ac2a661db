// A pseudo-terminal pair: the program opens the terminal end by its path, the
// test plays the calculator on the master end.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <string>

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

  void Write(const std::string& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t w = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (w <= 0) return;
      done += static_cast<std::size_t>(w);
    }
  }

  // Reads what has arrived from the program, waiting up to the time for `n` bytes.
  std::string Read(std::size_t n, int timeoutMs = 2000) const {
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < n) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      pollfd p{master_, POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) break;
      char buf[4096];
      const ssize_t r = ::read(master_, buf, std::min(sizeof buf, n - out.size()));
      if (r <= 0) break;
      out.append(buf, static_cast<std::size_t>(r));
    }
    return out;
  }

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

// The far end of a line, played by a test: either end of a pseudo-terminal.
// Bytes go out at once; reads wait a bounded time.
// The packet and XModem helpers speak as the calculator's server does, so that
// a test can answer (or refuse, or flood) the program under test by hand.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "transfer/block_checks.h"
#include "transfer/xmodem_frame.h"

namespace bridgit::test {

class TLinePeer {
 public:
  TLinePeer() = default;
  // Reads from `in`, writes to `out`; `owned` descriptors are closed at the end.
  TLinePeer(int in, int out, bool owned) : in_(in), out_(out), owned_(owned) {}
  // A terminal opened by its path, raw, at `speed`.
  explicit TLinePeer(const std::string& path, speed_t speed = B9600)
      : TLinePeer(::open(path.c_str(), O_RDWR | O_NOCTTY), -1, true) {
    termios t{};
    if (in_ >= 0 && ::tcgetattr(in_, &t) == 0) {
      ::cfmakeraw(&t);
      ::cfsetspeed(&t, speed);
      ::tcsetattr(in_, TCSANOW, &t);
    }
  }
  ~TLinePeer() {
    if (!owned_) return;
    if (out_ >= 0) ::close(out_);
    if (in_ >= 0) ::close(in_);
  }
  TLinePeer(const TLinePeer&) = delete;
  TLinePeer& operator=(const TLinePeer&) = delete;

  bool Ok() const { return in_ >= 0; }

  void Send(const std::string& bytes) const {
    const int fd = out_ >= 0 ? out_ : in_;
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (w <= 0) return;
      done += static_cast<std::size_t>(w);
    }
  }

  // Up to `n` bytes, waiting at most the time for them all.
  std::string Read(std::size_t n, int timeoutMs = 3000) const {
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < n && std::chrono::steady_clock::now() < deadline) {
      pollfd p{in_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      char buf[4096];
      const ssize_t r = ::read(in_, buf, std::min(sizeof buf, n - out.size()));
      if (r > 0) {
        out.append(buf, static_cast<std::size_t>(r));
      } else {
        ::poll(nullptr, 0, 20);  // hung up or no writer yet: wait, do not spin
      }
    }
    return out;
  }

  // A command or answer packet: two size bytes, the payload, its checksum.
  static std::string Packet(const std::string& payload) {
    std::string p{static_cast<char>(payload.size() >> 8), static_cast<char>(payload.size() & 0xFF)};
    return p + payload + static_cast<char>(Checksum8(payload));
  }

  // Reads one packet and acknowledges it; "?" (after a NAK) when it is damaged.
  std::string Answer() const {
    const std::string size = Read(2);
    if (size.size() < 2) return "<none>";
    const std::size_t n = static_cast<unsigned char>(size[0]) * 256u + static_cast<unsigned char>(size[1]);
    const std::string body = Read(n + 1);
    const bool good = body.size() == n + 1 && static_cast<unsigned char>(body[n]) == Checksum8(body.substr(0, n));
    Send(std::string(1, good ? xmodem::ACK : xmodem::NAK));
    return good ? body.substr(0, n) : "?";
  }

  // Receives one object by XModem, asking with NAK until the sender begins.
  std::string ReceiveObject() const {
    using namespace xmodem;
    std::string data, h;
    for (int tries = 0; tries < 5 && h.empty(); ++tries) {
      Send(std::string(1, NAK));
      h = Read(1, 1000);
    }
    for (;; h = Read(1, 5000)) {
      if (h.empty() || h[0] == CAN) {
        Read(2, 300);  // the rest of the cancel
        return "<cancelled>";
      }
      if (h[0] == EOT) {
        Send(std::string(1, ACK));
        return data;
      }
      const std::size_t n = h[0] == STX ? kLargeBlock : kSmallBlock;
      data += Read(n + 3).substr(2, n);
      Send(std::string(1, ACK));
    }
  }

  // Sends a file by XModem in 128-byte blocks once the receiver asks with `start`.
  bool SendObject(const std::string& file, char start) const {
    using namespace xmodem;
    if (Read(1, 5000) != std::string(1, start)) return false;
    TCheckMode mode;
    CheckModeOf(start, mode);
    std::uint32_t number = 1;
    for (std::size_t at = 0; at < file.size(); at += kSmallBlock) {
      Send(BuildFrame(number++, file.substr(at), kSmallBlock, mode));
      if (Read(1) != std::string(1, ACK)) return false;
    }
    Send(std::string(1, EOT));
    return Read(1) == std::string(1, ACK);
  }

 private:
  int in_ = -1, out_ = -1;
  bool owned_ = false;
};

}  // namespace bridgit::test

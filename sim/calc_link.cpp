#include "sim/calc_link.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "sim/faults.h"

namespace bridgit::sim {

namespace {
using Clock = std::chrono::steady_clock;
constexpr long long kAbortLookMs = 20;
constexpr int kTickSlackMs = 2;

int BaudOf(speed_t s) {
  switch (s) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    default: return 0;
  }
}

// Bytes sampled at the wrong bit rate: nothing of them survives. (Inverted, so
// that no command letter, acknowledgement or start request can come through.)
void Garble(std::string& bytes) {
  for (char& c : bytes) c = static_cast<char>(~c);
}
}  // namespace

TCalcLink::~TCalcLink() {
  if (out_ == in_) out_ = -1;  // a terminal has one descriptor for both ways
  for (int fd : {in_, out_, keepOpen_, wake_[0], wake_[1]})
    if (fd >= 0) ::close(fd);
  std::error_code ec;
  if (!linkPath_.empty()) std::filesystem::remove(linkPath_, ec);
  if (!usbDir_.empty()) std::filesystem::remove_all(usbDir_, ec);
}

std::unique_ptr<TCalcLink> TCalcLink::OpenPty(const std::string& linkPath, std::string& error) {
  std::unique_ptr<TCalcLink> link(new TCalcLink);
  int master = -1, slave = -1;
  char name[256] = {};
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    return nullptr;
  }
  termios t{};
  ::tcgetattr(slave, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(slave, TCSANOW, &t);
  ::fcntl(master, F_SETFL, O_NONBLOCK);
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave, F_SETFD, FD_CLOEXEC);
  link->in_ = link->out_ = master;
  link->keepOpen_ = slave;
  std::error_code ec;
  // Only a link left by an earlier run is replaced: a file someone keeps at
  // that path is never deleted for the line.
  const auto there = std::filesystem::symlink_status(linkPath, ec);
  if (std::filesystem::exists(there) && !std::filesystem::is_symlink(there)) {
    error = "the link path exists and is not a link: " + linkPath;
    return nullptr;
  }
  std::filesystem::remove(linkPath, ec);
  std::filesystem::create_symlink(name, linkPath, ec);
  if (ec) {
    error = "cannot create " + linkPath + ": " + ec.message();
    return nullptr;
  }
  link->linkPath_ = linkPath;
  link->pcPath_ = linkPath;
  if (::pipe2(link->wake_, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
  return link;
}

std::unique_ptr<TCalcLink> TCalcLink::OpenUsb(const std::string& root, const std::string& suffix, std::string& error) {
  std::unique_ptr<TCalcLink> link(new TCalcLink);
  const std::string name = "ZQx3G+" + suffix;
  const std::string dir = root + "/" + name;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    error = "cannot create " + dir + ": " + ec.message();
    return nullptr;
  }
  for (const char* pipe : {"/PIPE0", "/PIPE1"}) {
    const std::string path = dir + pipe;
    const auto there = std::filesystem::symlink_status(path, ec);
    if (std::filesystem::exists(there) && !std::filesystem::is_fifo(there)) {
      error = "the pipe path exists and is not a pipe: " + path;
      return nullptr;
    }
    std::filesystem::remove(path, ec);
    if (::mkfifo(path.c_str(), 0600) != 0) {
      error = "cannot create " + path + ": " + std::strerror(errno);
      return nullptr;
    }
  }
  link->usbDir_ = dir;
  // Both ends opened for reading and writing: opens never block and the
  // calculator never sees an end of file when the PC closes its side.
  link->out_ = ::open((dir + "/PIPE0").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  link->in_ = ::open((dir + "/PIPE1").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (link->out_ < 0 || link->in_ < 0) {
    error = "cannot open the pipes in " + dir + ": " + std::strerror(errno);
    return nullptr;
  }
  link->usb_ = true;
  link->pcPath_ = name;
  if (::pipe2(link->wake_, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
  return link;
}

void TCalcLink::Interrupt() {
  if (wake_[1] >= 0) [[maybe_unused]] auto w = ::write(wake_[1], "x", 1);
}

std::string TCalcLink::Read(std::size_t n, int timeoutMs) {
  std::string out;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (out.size() < n && !aborting_) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd p[2] = {{in_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    // Short looks, so that an abort is seen soon.
    const int ready = ::poll(p, 2, static_cast<int>(std::min<long long>(left, kAbortLookMs)));
    if (ready <= 0) continue;
    if (p[1].revents & POLLIN) break;
    char buf[4096];
    const ssize_t r = ::read(in_, buf, std::min(sizeof buf, n - out.size()));
    if (r > 0) {
      std::string got(buf, static_cast<std::size_t>(r));
      if (faults_) faults_->OnReceive(got);
      if (Garbling()) Garble(got);
      if (!Lost(got)) out += got;
    } else if (r == 0 || errno == EIO) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the PC end is closed
    }
  }
  return out;
}

bool TCalcLink::ReadByte(char& c, int timeoutMs) {
  const std::string b = Read(1, timeoutMs);
  if (b.empty()) return false;
  c = b[0];
  return true;
}

void TCalcLink::Write(const std::string& bytes) {
  if (aborting_) return;
  std::string out = bytes;
  if (Garbling()) Garble(out);
  if (faults_ && !faults_->OnSend(out)) return;
  RawWrite(out);
}

void TCalcLink::DeafAfterLastWrite(int ms, const std::string& crossing) {
  if (!holdPauses_) return;
  // From the start of the write: the PC cannot have the bytes any earlier,
  // so a slow calculator side only ever finds the PC later, never early. The
  // PC counts some waits in whole milliseconds of its tick counter, so each
  // may fall short by up to one.
  listenAt_ = lastWrite_ + std::chrono::milliseconds(ms - kTickSlackMs);
  crossing_ = crossing;
}

bool TCalcLink::Lost(const std::string& bytes) {
  if (Clock::now() >= listenAt_) return false;  // read now, so they came no later
  for (char c : bytes)
    if (crossing_.find(c) == std::string::npos) ++early_;
  return true;
}

bool TCalcLink::Garbling() const {
  const int pc = PcBaud();
  return lineSpeed_ != 0 && pc != 0 && pc != lineSpeed_;
}

void TCalcLink::RawWrite(const std::string& bytes) {
  constexpr std::size_t kStep = 32;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t n = baud_ > 0 ? std::min(kStep, bytes.size() - at) : bytes.size() - at;
    if (baud_ > 0)
      std::this_thread::sleep_for(std::chrono::nanoseconds(10'000'000'000LL / baud_ * static_cast<long long>(n)));
    if (at + n == bytes.size()) lastWrite_ = Clock::now();
    std::size_t done = 0;
    while (done < n) {
      const ssize_t w = ::write(out_, bytes.data() + at + done, n - done);
      if (w > 0) {
        done += static_cast<std::size_t>(w);
      } else if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
        pollfd p{out_, POLLOUT, 0};
        if (::poll(&p, 1, 1000) <= 0) return;  // nobody reads: the bytes are lost, as on a line
      } else {
        return;
      }
    }
    at += n;
  }
}

void TCalcLink::DiscardInput() {
  char buf[4096];
  for (ssize_t r; (r = ::read(in_, buf, sizeof buf)) > 0;) Lost(std::string(buf, static_cast<std::size_t>(r)));
}

int TCalcLink::PcBaud() const {
  if (usb_) return 0;
  termios t{};
  if (::tcgetattr(keepOpen_, &t) != 0) return 0;
  return BaudOf(cfgetospeed(&t));
}

}  // namespace bridgit::sim

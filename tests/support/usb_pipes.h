// A USB device folder with its two FIFOs under a temporary USB root, and the
// calculator's ends of them.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace bridgit::test {

class TUsbDevice {
 public:
  // Creates root/ZQx3G+<suffix>/PIPE0 and PIPE1 and points BRIDGIT_USB_ROOT at
  // root until it goes (no later test finds a root that is gone).
  explicit TUsbDevice(const TTempDir& root, const std::string& suffix = "") {
    dir_ = root / ("ZQx3G+" + suffix);
    std::filesystem::create_directories(dir_);
    ::mkfifo((dir_ + "/PIPE0").c_str(), 0600);
    ::mkfifo((dir_ + "/PIPE1").c_str(), 0600);
    ::setenv("BRIDGIT_USB_ROOT", root.path().c_str(), 1);
  }
  ~TUsbDevice() {
    Unplug();
    ::unsetenv("BRIDGIT_USB_ROOT");
  }
  TUsbDevice(const TUsbDevice&) = delete;
  TUsbDevice& operator=(const TUsbDevice&) = delete;

  // The calculator takes its ends: it reads PIPE1 and writes PIPE0.
  void PlugIn() {
    fromPc_ = ::open((dir_ + "/PIPE1").c_str(), O_RDONLY | O_NONBLOCK);
    // RDWR: never EOF for the PC. A full pipe takes no more: a device that
    // floods a PC that stopped reading never blocks.
    toPc_ = ::open((dir_ + "/PIPE0").c_str(), O_RDWR | O_NONBLOCK);
  }
  void Unplug() {
    if (fromPc_ >= 0) ::close(fromPc_);
    if (toPc_ >= 0) ::close(toPc_);
    fromPc_ = toPc_ = -1;
  }

  void Send(const std::string& bytes) const {
    [[maybe_unused]] const auto w = ::write(toPc_, bytes.data(), bytes.size());
  }
  std::string Received() const {
    std::string out;
    char buf[4096];
    ssize_t r;
    while ((r = ::read(fromPc_, buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(r));
    return out;
  }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
  int fromPc_ = -1;
  int toPc_ = -1;
};

}  // namespace bridgit::test

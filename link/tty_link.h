// A serial port: one tty, raw 8N1, reads bounded by a constant plus a
// multiplier per byte.
#pragma once

#include <cstdint>
#include <string>

#include "link/posix_link.h"

namespace bridgit {

// Serial reads are issued in chunks of this size (the driver queues hold 2048).
inline constexpr std::size_t kSerialReadChunk = 2038;

class TTtyLink final : public TPosixLink {
 public:
  using TPosixLink::TPosixLink;
  ~TTtyLink() override { CloseComm(); }

  void OpenComm(const std::string& portName, int speed) override;
  std::uint8_t Mode() const override { return ModeSerial; }
  int ReadComm(std::string& buffer, int timeoutMs) override;
  void ClearInput() override;
  void SetShortTimeouts() override;
  void SetLongTimeouts() override;
  void ChangeSpeed(int speed) override;

  // For diagnostics and tests: device reads issued, the read time-out
  // constant in force.
  std::uint64_t ReadCalls() const { return readCalls_; }
  int ReadConstantMs() const { return readConstantMs_; }

 private:
  int readConstantMs_ = 3000;
  int readMultiplierMs_ = 1;
  std::uint64_t readCalls_ = 0;
};

}  // namespace bridgit

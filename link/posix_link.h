// What the tty and the USB device share on this system: two descriptors (one
// on a tty), writes bounded in time, and the fatal path with the cause logged.
#pragma once

#include <cstddef>
#include <string>

#include "link/link.h"

namespace bridgit {

class TPosixLink : public TLink {
 public:
  using TLink::TLink;
  bool IsOpen() const override { return readHandle_ >= 0; }
  void CloseComm() override;
  void WriteComm(const std::string& data) override;
  void WriteUnchecked(const char* data, std::size_t n) override;

 protected:
  [[noreturn]] void Fail(const std::string& cause);
  // Zeroes the unfilled rest of a read and logs a partial one.
  int FinishRead(std::string& buffer, int got);
  // The write time-out for n bytes: constant + multiplier x bytes.
  static int WriteTimeoutMs(std::size_t bytes);
  virtual void OnClose() {}
  virtual void OnWrite() {}

  int readHandle_ = -1;  // on a tty the same descriptor as writeHandle_
  int writeHandle_ = -1;
};

}  // namespace bridgit

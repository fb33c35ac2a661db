// A COM port on Windows: one handle, no flow control, 8N1, reads bounded by
// the port's own time-outs (a constant plus a multiplier per byte asked for).
#pragma once

#include <cstdint>
#include <string>

#include "link/win32_link.h"

namespace bridgit {

class TWin32ComLink final : public TWin32Link {
 public:
  using TWin32Link::TWin32Link;
  ~TWin32ComLink() override { CloseComm(); }

  void OpenComm(const std::string& portName, int speed) override;
  std::uint8_t Mode() const override { return ModeSerial; }
  int ReadComm(std::string& buffer, int timeoutMs) override;
  void ClearInput() override;
  void SetShortTimeouts() override;
  void SetLongTimeouts() override;
  void ChangeSpeed(int speed) override;

 private:
  void SetReadTimeouts(unsigned long constantMs);
};

}  // namespace bridgit

// The link over this machine's devices: by the name it is opened with, a
// serial port (a tty, or a COM port on Windows) or the ZQ73G+'s USB device (a
// pipe pair).
#pragma once

#include <memory>
#include <string>

#include "link/link.h"

namespace bridgit {

class TCommPort final : public TLink {
 public:
  explicit TCommPort(TSessionHost& host);
  ~TCommPort() override;

  void OpenComm(const std::string& portName, int speed) override;
  void CloseComm() override;
  bool IsOpen() const override { return device_->IsOpen(); }
  // A closed link waits as a serial port does, whatever it was.
  std::uint8_t Mode() const override { return IsOpen() ? device_->Mode() : ModeSerial; }
  int ReadComm(std::string& buffer, int timeoutMs) override { return device_->ReadComm(buffer, timeoutMs); }
  void WriteComm(const std::string& data) override { device_->WriteComm(data); }
  void WriteUnchecked(const char* data, std::size_t n) override { device_->WriteUnchecked(data, n); }
  void ClearInput() override { device_->ClearInput(); }
  void SetShortTimeouts() override { device_->SetShortTimeouts(); }
  void SetLongTimeouts() override { device_->SetLongTimeouts(); }
  void ChangeSpeed(int speed) override { device_->ChangeSpeed(speed); }
  std::size_t SafeRead() override { return device_->SafeRead(); }
  std::size_t ReadAhead() const override { return device_->ReadAhead(); }
  void DropReadAhead() override { device_->DropReadAhead(); }
  void ResetSilence() override { device_->ResetSilence(); }

 private:
  // The device of the latest open (a closed serial port before the first);
  // replaced only by an open of the other kind.
  std::unique_ptr<TLink> device_;
};

}  // namespace bridgit

// The ZQ73G+'s USB device on Windows: the driver's device \\.\ZQx3G+ (or _1 to
// _4) with its read pipe PIPE0, served by a reader thread into a read-ahead
// buffer, and its write pipe PIPE1. A device that stays silent too long ends
// the session.
#pragma once

#include <cstdint>
#include <string>

#include "link/read_ahead.h"
#include "link/win32_link.h"

namespace bridgit {

class TWin32UsbLink final : public TWin32Link {
 public:
  explicit TWin32UsbLink(TSessionHost& host);
  ~TWin32UsbLink() override;

  void OpenComm(const std::string& portName, int speed) override;
  std::uint8_t Mode() const override { return ModeUsb; }
  int ReadComm(std::string& buffer, int timeoutMs) override {
    return FinishRead(buffer, readAhead_.Read(buffer, timeoutMs));
  }
  void ClearInput() override { readAhead_.Clear(); }
  void SetShortTimeouts() override {}
  void SetLongTimeouts() override {}
  void ChangeSpeed(int speed) override;
  std::size_t SafeRead() override;
  std::size_t ReadAhead() const override { return readAhead_.Waiting(); }
  void DropReadAhead() override { readAhead_.Drop(); }
  void ResetSilence() override { readAhead_.ResetSilence(); }

 private:
  void OnClose() override;
  // Silence is counted from the PC's latest request.
  void OnWrite() override { readAhead_.ResetSilence(); }
  // One read on the read pipe, run by the reader thread; -1 when broken off.
  long BlockingRead(unsigned char* buf, std::size_t n);

  // Manual-reset events: a read has completed; the link is closing (set from
  // the closing thread, it breaks off the reader's wait).
  void* readDone_;
  void* closing_;
  TReadAhead readAhead_;
};

// The device of a USB port name, \\.\ZQx3G+[_n], its case mended.
std::string UsbDeviceName(const std::string& portName);

}  // namespace bridgit

// The ZQ73G+'s USB device: a read pipe served by a reader thread into a
// read-ahead buffer, and a write pipe. A device that stays silent too long
// ends the session.
#pragma once

#include <cstdint>
#include <string>

#include "link/posix_link.h"
#include "link/read_ahead.h"

namespace bridgit {

class TUsbLink final : public TPosixLink {
 public:
  explicit TUsbLink(TSessionHost& host);
  ~TUsbLink() override { CloseComm(); }

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

  // Whether the reader thread runs (for tests).
  bool HasReader() const { return readAhead_.HasReader(); }

 private:
  void OnClose() override;
  // Silence is counted from the PC's latest request: a silence that began
  // before it (a timed-out read, then an idle link or a long prompt) would
  // otherwise end the session at the first answer slower than one read slice.
  void OnWrite() override { readAhead_.ResetSilence(); }
  // Waits for bytes on the read pipe or a wake-up; -1 when woken.
  long BlockingRead(unsigned char* buf, std::size_t n);

  int wakeFd_ = -1;  // an eventfd that ends a blocked poll() when the link closes
  TReadAhead readAhead_;
};

}  // namespace bridgit

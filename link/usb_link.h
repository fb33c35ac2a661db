// The ZQ73G+'s USB device: a read pipe served by a reader thread into a
// read-ahead buffer, and a write pipe. A device that stays silent too long
// ends the session.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "link/posix_link.h"
#include "link/safe_reader.h"

namespace bridgit {

class TUsbLink final : public TPosixLink {
 public:
  using TPosixLink::TPosixLink;
  ~TUsbLink() override { CloseComm(); }

  void OpenComm(const std::string& portName, int speed) override;
  std::uint8_t Mode() const override { return ModeUsb; }
  int ReadComm(std::string& buffer, int timeoutMs) override;
  void ClearInput() override;
  void SetShortTimeouts() override {}
  void SetLongTimeouts() override {}
  void ChangeSpeed(int speed) override;
  std::size_t SafeRead() override;
  std::size_t ReadAhead() const override { return bufCount_; }
  void DropReadAhead() override { bufCount_ = 0; }
  void ResetSilence() override { emptySince_ = 0; }

  // Whether the reader thread runs (for tests).
  bool HasReader() const { return reader_ != nullptr; }

 private:
  void OnClose() override;
  // Silence is counted from the PC's latest request: a silence that began
  // before it (a timed-out read, then an idle link or a long prompt) would
  // otherwise end the session at the first answer slower than one read slice.
  void OnWrite() override { emptySince_ = 0; }
  bool BufferExhausted() const { return bufCount_ < bufPos_; }

  std::array<unsigned char, kReadAheadSize> buffer_{};
  std::uint32_t bufCount_ = 0;
  std::uint32_t bufPos_ = 1;     // 1-based; exhausted when bufPos_ > bufCount_
  std::int64_t emptySince_ = 0;  // tick of the first empty attempt, 0 while data flows
  std::unique_ptr<TSafeRdThread> reader_;
};

}  // namespace bridgit

// The link over this machine's devices: a serial port (a tty) or the ZQ73G+'s
// USB device (a read pipe and a write pipe), chosen by the port name.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "link/link.h"
#include "link/safe_reader.h"

namespace bridgit {

// Serial reads are issued in chunks of this size (the driver queues hold 2048).
inline constexpr std::size_t kSerialReadChunk = 2038;

class TCommPort final : public TLink {
 public:
  explicit TCommPort(TSessionHost& host) : TLink(host) {}
  ~TCommPort() override;

  void OpenComm(const std::string& portName, int speed) override;
  void CloseComm() override;
  bool IsOpen() const override { return readHandle_ >= 0; }
  std::uint8_t Mode() const override { return mode_; }
  int ReadComm(std::string& buffer, int timeoutMs) override;
  void WriteComm(const std::string& data) override;
  void WriteUnchecked(const char* data, std::size_t n) override;
  void ClearInput() override;
  void SetShortTimeouts() override;
  void SetLongTimeouts() override;
  void ChangeSpeed(int speed) override;
  std::size_t SafeRead() override;
  std::size_t ReadAhead() const override { return bufCount_; }
  void DropReadAhead() override { bufCount_ = 0; }
  void ResetSilence() override { emptySince_ = 0; }

  // For diagnostics and tests: device reads issued, the serial read time-out
  // constant in force, whether the USB reader thread runs.
  std::uint64_t ReadCalls() const { return readCalls_; }
  int ReadConstantMs() const { return readConstantMs_; }
  bool HasReader() const { return reader_ != nullptr; }

 private:
  [[noreturn]] void Fail(const std::string& cause);
  void ResetRecord();
  void OpenUsb(const std::string& portName);
  void OpenSerial(const std::string& portName, int speed);
  int ReadSerial(std::string& buffer);
  int ReadUsb(std::string& buffer, int timeoutMs);
  bool BufferExhausted() const { return bufCount_ < bufPos_; }
  void SetReadTimeouts(int constantMs);

  int readHandle_ = -1;   // on a serial port the same descriptor as writeHandle_
  int writeHandle_ = -1;
  std::uint8_t mode_ = ModeSerial;
  std::array<unsigned char, kReadAheadSize> buffer_{};  // USB read-ahead
  std::uint32_t bufCount_ = 0;
  std::uint32_t bufPos_ = 1;      // 1-based; exhausted when bufPos_ > bufCount_
  std::int64_t emptySince_ = 0;   // tick of the first empty USB attempt, 0 while data flows
  // Serial read time-out in force: constant + multiplier x bytes requested.
  int readConstantMs_ = 3000;
  int readMultiplierMs_ = 1;
  std::string portName_;          // the name the link was opened with
  std::uint64_t readCalls_ = 0;
  std::unique_ptr<TSafeRdThread> reader_;
};

}  // namespace bridgit

// The link to the calculator as one object: exactly one at a time, owned by the
// session and handed to the transfers. Each kind of port is one implementation
// of this interface; every failure ends in FatalDisconnect, which raises
// TConnectionError after the window has been told through the link's host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "host/session_host.h"
#include "link/link_timing.h"

namespace bridgit {

inline constexpr std::uint8_t ModeSerial = 0;
inline constexpr std::uint8_t ModeUsb = 1;

// A silent USB link ends in the fatal path after this long.
inline constexpr int kUsbSilenceLimitMs = 2500;

class TLink {
 public:
  explicit TLink(TSessionHost& host) : host_(host) {}
  virtual ~TLink() = default;
  TLink(const TLink&) = delete;
  TLink& operator=(const TLink&) = delete;

  TSessionHost& Host() const { return host_; }
  // The timing profile in force; replaced when the link opens and possibly
  // once more during connection.
  TLinkTiming& Timing() { return timing_; }

  virtual void OpenComm(const std::string& portName, int speed) = 0;
  virtual void CloseComm() = 0;
  virtual bool IsOpen() const = 0;
  // ModeSerial or ModeUsb: how the link waits for the calculator.
  virtual std::uint8_t Mode() const = 0;
  // Fills `buffer` (sized by the caller to the bytes wanted) and returns the
  // count received; the unfilled rest is zeroed. `timeoutMs` governs only the
  // USB path.
  virtual int ReadComm(std::string& buffer, int timeoutMs) = 0;
  virtual void WriteComm(const std::string& data) = 0;
  // Writes what it can of a stream whose receiver gives no answer; failures
  // are ignored (the stream ends the session either way).
  virtual void WriteUnchecked(const char* data, std::size_t n) = 0;
  virtual void ClearInput() = 0;
  virtual void SetShortTimeouts() = 0;
  virtual void SetLongTimeouts() = 0;
  virtual void ChangeSpeed(int speed) = 0;

  // The USB read-ahead: one request to the reader (the bytes now waiting),
  // dropping what waits, and restarting the silence count. A link without one
  // (a serial port, the memory pair) keeps these: nothing waits, nothing to drop.
  virtual std::size_t SafeRead() { return 0; }
  virtual std::size_t ReadAhead() const { return 0; }
  virtual void DropReadAhead() {}
  virtual void ResetSilence() {}

  [[noreturn]] void FatalDisconnect();

 protected:
  // Runs a window step on the user-interface thread.
  void WindowStep(const std::function<void()>& step);

 private:
  TSessionHost& host_;
  TLinkTiming timing_ = SerialSlow;
};

}  // namespace bridgit

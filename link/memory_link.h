// Two links joined in memory, each end reading what the other writes: the line
// for unit tests that need no device. Reads wait as a serial port's do (a
// constant plus a multiplier per byte asked for) and return what arrived.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "link/link.h"

namespace bridgit {

class TMemoryLink final : public TLink {
 public:
  // Both ends, open from the start; `a` and `b` are the hosts each end reports to.
  static std::pair<std::unique_ptr<TMemoryLink>, std::unique_ptr<TMemoryLink>> Pair(TSessionHost& a,
                                                                                    TSessionHost& b);
  ~TMemoryLink() override;

  void OpenComm(const std::string& portName, int speed) override;
  void CloseComm() override;
  bool IsOpen() const override { return open_; }
  std::uint8_t Mode() const override { return ModeSerial; }
  int ReadComm(std::string& buffer, int timeoutMs) override;
  void WriteComm(const std::string& data) override;
  void WriteUnchecked(const char* data, std::size_t n) override;
  void ClearInput() override;
  void SetShortTimeouts() override { readConstantMs_ = kShortMs; }
  void SetLongTimeouts() override { readConstantMs_ = kLongMs; }
  void ChangeSpeed(int) override {}

  // What has arrived, waiting up to the time for `n` bytes (the far end of a
  // test reads with its own deadlines).
  std::string Take(std::size_t n, int timeoutMs);
  // Every time-out the reads of this end were given (a serial line waits by
  // its presets instead, a USB device by these): the callers' constants,
  // seen without waiting for them.
  const std::set<int>& TimeoutsAsked() const { return timeoutsAsked_; }

 private:
  static constexpr int kShortMs = 100;
  static constexpr int kLongMs = 3000;
  explicit TMemoryLink(TSessionHost& host) : TLink(host) {}
  // The bytes waiting for this end, shared with the other end's writes.
  struct TInbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<char> bytes;
  };
  void Deliver(const char* data, std::size_t n);
  int ReadWithin(std::string& buffer, int timeoutMs);
  std::shared_ptr<TInbox> inbox_ = std::make_shared<TInbox>();
  std::shared_ptr<TInbox> peer_;
  bool open_ = true;
  int readConstantMs_ = kLongMs;
  std::set<int> timeoutsAsked_;
};

}  // namespace bridgit

// The reader thread of the USB link. A read on the USB device's read pipe has no
// time-out, so the caller never issues it itself: this thread performs the
// blocking reads (up to 64 bytes each) one request at a time, and the caller
// waits for each result in 80 ms slices, leaving an unfinished request
// outstanding rather than abandoning it. The blocking read itself, and how it
// is interrupted, are the platform's.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>

#include "base/auto_reset_event.h"

namespace bridgit {

inline constexpr std::size_t kReadAheadSize = 64;
inline constexpr int kSafeReadSliceMs = 80;

class TSafeRdThread {
 public:
  // One blocking read of up to n bytes: the count; 0 when nothing came (end of
  // file, a failed read: tried again after a pause); -1 to look again at once
  // (`wake` broke it off, or nothing was there after all).
  using TBlockingRead = std::function<long(unsigned char* buf, std::size_t n)>;
  // `wake` breaks off a blocking read from another thread; it is repeated until
  // the thread has ended, so it may miss a read that has not begun yet.
  TSafeRdThread(TBlockingRead read, std::function<void()> wake);
  ~TSafeRdThread();  // stops and joins the thread promptly, even mid-read
  TSafeRdThread(const TSafeRdThread&) = delete;
  TSafeRdThread& operator=(const TSafeRdThread&) = delete;

  // One request: starts a read unless one is already outstanding, then waits
  // up to 80 ms for it. Returns the bytes copied to `out` (0 when the slice
  // passed without a result; the request then stays outstanding).
  std::size_t SafeRead(std::array<unsigned char, kReadAheadSize>& out, bool& timedOut);

 private:
  void Body();
  // Reads until something comes; false when told to stop.
  bool ReadSomething(std::array<unsigned char, kReadAheadSize>& buffer, std::size_t& count);

  TBlockingRead read_;
  std::function<void()> wake_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
  TAutoResetEvent request_;
  TAutoResetEvent done_;
  bool pending_ = false;
  // The hand-over: written by the thread before it signals done_, read by the
  // caller only after done_ was signalled.
  std::array<unsigned char, kReadAheadSize> handOver_{};
  std::size_t handOverCount_ = 0;
  std::thread thread_;
};

}  // namespace bridgit

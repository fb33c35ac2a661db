// An auto-reset event: Signal releases exactly one wait (or the next one, if
// nobody waits yet); every wait is bounded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace bridgit {

class TAutoResetEvent {
 public:
  void Signal() {
    {
      std::lock_guard lock(mutex_);
      signalled_ = true;
    }
    cv_.notify_one();
  }

  // True when the event was signalled within the time; the signal is consumed.
  bool Wait(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
    signalled_ = false;
    return true;
  }

  void Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_ = false;
};

}  // namespace bridgit

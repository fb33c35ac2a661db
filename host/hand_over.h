// A synchronous hand-over to the thread that owns the user interface.
//
// A worker thread posts a step and waits until the owner thread has run it; the
// owner runs waiting steps whenever it calls Serve (the command line's and the
// tests' wait loops do so while a transfer runs). A step posted on the owner
// thread itself runs at once.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace bridgit {

class THandOver {
 public:
  THandOver() : owner_(std::this_thread::get_id()) {}

  bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }
  // Makes the calling thread the owner (for hosts created on another thread).
  void AdoptCurrentThread() { owner_ = std::this_thread::get_id(); }

  // Runs the step on the owner thread and returns when it has run. An exception
  // the step throws is rethrown here.
  void Run(const std::function<void()>& step);

  // Runs the steps that are waiting; returns how many ran. Owner thread only.
  int Serve();

  // Serves until `done` returns true or the time passes; returns done().
  bool ServeUntil(const std::function<bool()>& done, int timeoutMs);

 private:
  struct TItem {
    const std::function<void()>* step;
    std::exception_ptr error;
    bool finished = false;
  };
  std::thread::id owner_;
  std::mutex mutex_;
  std::condition_variable posted_;
  std::condition_variable finished_;
  std::deque<TItem*> queue_;
};

}  // namespace bridgit

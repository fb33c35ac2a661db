#include "host/hand_over.h"

#include <chrono>

namespace bridgit {

void THandOver::Run(const std::function<void()>& step) {
  if (OnOwnerThread()) {
    step();
    return;
  }
  TItem item{&step, nullptr, false};
  std::unique_lock lock(mutex_);
  queue_.push_back(&item);
  posted_.notify_all();
  finished_.wait(lock, [&item] { return item.finished; });
  if (item.error) std::rethrow_exception(item.error);
}

int THandOver::Serve() {
  int ran = 0;
  for (;;) {
    TItem* item = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return ran;
      item = queue_.front();
      queue_.pop_front();
    }
    try {
      (*item->step)();
    } catch (...) {
      item->error = std::current_exception();
    }
    {
      std::lock_guard lock(mutex_);
      item->finished = true;
    }
    finished_.notify_all();
    ++ran;
  }
}

bool THandOver::ServeUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Serve();
    if (done()) return true;
    std::unique_lock lock(mutex_);
    if (std::chrono::steady_clock::now() >= deadline) return done();
    // Wake for a new step, or every few milliseconds to look at `done` again.
    posted_.wait_for(lock, std::chrono::milliseconds(5), [this] { return !queue_.empty(); });
  }
}

}  // namespace bridgit

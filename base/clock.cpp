#include "base/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace bridgit {

TTickMs TickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {
std::atomic<TTickMs> g_paused{0};
}  // namespace

void SleepMs(TTickMs ms) {
  if (ms <= 0) return;
  CountPause(ms);
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void CountPause(TTickMs ms) { g_paused.fetch_add(ms, std::memory_order_relaxed); }

TTickMs PausedMsTotal() { return g_paused.load(std::memory_order_relaxed); }

}  // namespace bridgit

#include "base/clock.h"

#include <chrono>
#include <thread>

namespace bridgit {

TTickMs TickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SleepMs(TTickMs ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace bridgit

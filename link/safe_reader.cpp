#include "link/safe_reader.h"

#include <chrono>

#include "link/line_counters.h"

namespace bridgit {

namespace {
// After end of file (the calculator side went away) or a failed read the
// thread pauses this long before it tries again, instead of spinning.
constexpr int kEndOfFilePauseMs = 20;
// How often a stopping thread's read is broken off again, until it has ended.
constexpr int kWakeRepeatMs = 5;
}  // namespace

TSafeRdThread::TSafeRdThread(TBlockingRead read, std::function<void()> wake)
    : read_(std::move(read)), wake_(std::move(wake)), thread_([this] { Body(); }) {}

TSafeRdThread::~TSafeRdThread() {
  stop_ = true;
  request_.Signal();
  while (!ended_) {
    wake_();
    std::this_thread::sleep_for(std::chrono::milliseconds(kWakeRepeatMs));
  }
  if (thread_.joinable()) thread_.join();
}

bool TSafeRdThread::ReadSomething(std::array<unsigned char, kReadAheadSize>& buffer, std::size_t& count) {
  count = 0;
  while (count == 0) {
    if (stop_) return false;
    const long r = read_(buffer.data(), buffer.size());
    if (stop_) return false;
    if (r > 0) {
      count = static_cast<std::size_t>(r);
      CountReceivedBytes(count);
    } else if (r == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kEndOfFilePauseMs));
    }
  }
  return true;
}

void TSafeRdThread::Body() {
  std::array<unsigned char, kReadAheadSize> buffer{};
  while (!stop_) {
    if (!request_.Wait(std::chrono::milliseconds(1000))) continue;
    std::size_t count = 0;
    if (!ReadSomething(buffer, count)) break;
    handOver_ = buffer;
    handOverCount_ = count;
    done_.Signal();
  }
  ended_ = true;
}

std::size_t TSafeRdThread::SafeRead(std::array<unsigned char, kReadAheadSize>& out, bool& timedOut) {
  if (!pending_) request_.Signal();
  pending_ = true;
  timedOut = false;
  if (!done_.Wait(std::chrono::milliseconds(kSafeReadSliceMs))) {
    timedOut = true;
    return 0;
  }
  pending_ = false;
  out = handOver_;
  return handOverCount_;
}

}  // namespace bridgit

#include "link/line_counters.h"

#include <atomic>
#include <mutex>

namespace bridgit {

namespace {
std::atomic<std::uint64_t> g_lineBytes{0};
std::atomic<std::uint64_t> g_receivedBytes{0};
std::mutex g_openFailureLock;
TOpenFailure g_openFailure;
}  // namespace

std::uint64_t LineBytesTotal() { return g_lineBytes.load(std::memory_order_relaxed); }

void CountLineBytes(std::size_t n) { g_lineBytes.fetch_add(n, std::memory_order_relaxed); }

std::uint64_t LineBytesReceived() { return g_receivedBytes.load(std::memory_order_relaxed); }

void CountReceivedBytes(std::size_t n) {
  g_receivedBytes.fetch_add(n, std::memory_order_relaxed);
  CountLineBytes(n);
}

TOpenFailure LastOpenFailure() {
  std::lock_guard lock(g_openFailureLock);
  return g_openFailure;
}

void RecordOpen(const std::string& path, int error) {
  std::lock_guard lock(g_openFailureLock);
  g_openFailure = {path, error};
}

}  // namespace bridgit

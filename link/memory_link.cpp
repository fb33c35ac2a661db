#include "link/memory_link.h"

#include <chrono>

namespace bridgit {

std::pair<std::unique_ptr<TMemoryLink>, std::unique_ptr<TMemoryLink>> TMemoryLink::Pair(TSessionHost& a,
                                                                                        TSessionHost& b) {
  std::unique_ptr<TMemoryLink> one(new TMemoryLink(a));
  std::unique_ptr<TMemoryLink> two(new TMemoryLink(b));
  one->peer_ = two->inbox_;
  two->peer_ = one->inbox_;
  return {std::move(one), std::move(two)};
}

TMemoryLink::~TMemoryLink() = default;

void TMemoryLink::OpenComm(const std::string&, int speed) {
  Timing() = speed <= 9600 ? SerialSlow : SerialFast;  // as a serial line at that speed
  open_ = true;
}
void TMemoryLink::CloseComm() { open_ = false; }

int TMemoryLink::ReadComm(std::string& buffer, int timeoutMs) {
  timeoutsAsked_.insert(timeoutMs);
  return ReadWithin(buffer, readConstantMs_ + static_cast<int>(buffer.size()));
}

std::string TMemoryLink::Take(std::size_t n, int timeoutMs) {
  std::string buffer(n, '\0');
  buffer.resize(static_cast<std::size_t>(ReadWithin(buffer, timeoutMs)));
  return buffer;
}

int TMemoryLink::ReadWithin(std::string& buffer, int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock lock(inbox_->mutex);
  inbox_->arrived.wait_until(lock, until, [&] { return inbox_->bytes.size() >= buffer.size(); });
  const std::size_t n = std::min(buffer.size(), inbox_->bytes.size());
  std::copy_n(inbox_->bytes.begin(), n, buffer.begin());
  inbox_->bytes.erase(inbox_->bytes.begin(), inbox_->bytes.begin() + static_cast<std::ptrdiff_t>(n));
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(n), buffer.end(), '\0');
  return static_cast<int>(n);
}

void TMemoryLink::Deliver(const char* data, std::size_t n) {
  if (!open_) FatalDisconnect();
  {
    std::lock_guard lock(peer_->mutex);
    peer_->bytes.insert(peer_->bytes.end(), data, data + n);
  }
  peer_->arrived.notify_all();
}

void TMemoryLink::WriteComm(const std::string& data) { Deliver(data.data(), data.size()); }

void TMemoryLink::WriteUnchecked(const char* data, std::size_t n) {
  if (open_) Deliver(data, n);
}

void TMemoryLink::ClearInput() {
  std::lock_guard lock(inbox_->mutex);
  inbox_->bytes.clear();
}

}  // namespace bridgit

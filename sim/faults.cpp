#include "sim/faults.h"

#include <algorithm>
#include <set>

namespace bridgit::sim {

namespace {
const std::set<std::string> kKinds = {"drop-byte", "cut", "corrupt-block", "corrupt-packet", "nak",
                                      "lose-ack", "stall", "can", "garbage"};
}  // namespace

bool TFaults::Add(const std::string& spec, std::string& error) {
  const std::size_t at = spec.find('@');
  if (at == std::string::npos) {
    error = "a fault needs @N: " + spec;
    return false;
  }
  TFault f;
  std::string head = spec.substr(0, at);
  const std::size_t colon = head.find(':');
  const bool relative = spec.compare(at + 1, 1, "+") == 0;
  try {
    f.when = std::stoull(spec.substr(at + (relative ? 2 : 1)));
    if (colon != std::string::npos) {
      f.arg = std::stoi(head.substr(colon + 1));
      head = head.substr(0, colon);
    }
  } catch (const std::exception&) {
    error = "not a number in the fault " + spec;
    return false;
  }
  if (!kKinds.count(head) || f.when == 0) {
    error = "unknown fault " + spec;
    return false;
  }
  f.kind = head;
  if (f.kind == "nak" && f.arg <= 0) f.arg = 1;
  std::lock_guard lock(mutex_);
  // "@+N": the N-th event from now on.
  if (relative) f.when += f.kind == "drop-byte" || f.kind == "cut" ? bytesSent_ : counts_[f.kind];
  faults_.push_back(f);
  return true;
}

void TFaults::SetNoise(double rate, std::uint64_t seed) {
  std::lock_guard lock(mutex_);
  noise_ = rate;
  rng_.seed(seed);
}

int TFaults::Clear() {
  std::lock_guard lock(mutex_);
  const auto unfired = std::count_if(faults_.begin(), faults_.end(), [](const TFault& f) { return !f.fired; });
  faults_.clear();
  noise_ = 0;
  cut_ = false;
  return static_cast<int>(unfired);
}

bool TFaults::Fire(const std::string& kind, int* arg) {
  std::lock_guard lock(mutex_);
  const std::uint64_t n = ++counts_[kind];
  for (TFault& f : faults_)
    if (f.kind == kind && f.when == n) {
      if (arg) *arg = f.arg;
      f.fired = true;
      return true;
    }
  return false;
}

bool TFaults::OnSend(std::string& bytes) {
  std::lock_guard lock(mutex_);
  if (cut_) return false;
  std::string out;
  out.reserve(bytes.size());
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  for (char c : bytes) {
    ++bytesSent_;
    bool drop = false;
    for (TFault& f : faults_) {
      if (f.kind == "drop-byte" && f.when == bytesSent_) drop = f.fired = true;
      if (f.kind == "cut" && bytesSent_ > f.when) cut_ = f.fired = true;
    }
    if (cut_) break;
    if (drop) continue;
    if (noise_ > 0 && chance(rng_) < noise_) c = static_cast<char>(c ^ (1 << (rng_() % 8)));
    out += c;
  }
  bytes = out;
  return true;
}

void TFaults::OnReceive(std::string& bytes) {
  std::lock_guard lock(mutex_);
  if (cut_) bytes.clear();
}

bool TFaults::Cut() const {
  std::lock_guard lock(mutex_);
  return cut_;
}

}  // namespace bridgit::sim

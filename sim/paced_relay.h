// Joins two byte streams (pseudo-terminal masters, or a tty opened by path) and
// carries bytes both ways no faster than a serial line at a given baud rate
// would: 10 bits a byte (start bit, 8 data bits, stop bit). Each direction is
// paced on its own, as on a real full-duplex line.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace bridgit::sim {

class TPacedRelay {
 public:
  // baud 0: no pacing. The relay does not own the descriptors.
  TPacedRelay(int fdA, int fdB, int baud);
  ~TPacedRelay();
  TPacedRelay(const TPacedRelay&) = delete;
  TPacedRelay& operator=(const TPacedRelay&) = delete;

  void Stop();
  std::uint64_t BytesAtoB() const { return aToB_; }
  std::uint64_t BytesBtoA() const { return bToA_; }

 private:
  void Pump(int from, int to, std::atomic<std::uint64_t>& count);
  int fdA_, fdB_, baud_;
  int wake_[2] = {-1, -1};  // a pipe that Stop writes to, to end blocked polls
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> aToB_{0}, bToA_{0};
  std::thread ab_, ba_;
};

}  // namespace bridgit::sim

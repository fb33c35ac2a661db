// Deterministic faults and seeded line noise.
//
// A fault is KIND[:ARG]@N: it fires at the N-th event of its kind (counted from
// 1 since the simulator started); KIND[:ARG]@+N counts from the moment it is added. Kinds and their events:
//   drop-byte@N       the N-th byte the calculator writes is lost
//   cut@N             after N bytes written the line is dead both ways
//   corrupt-block@N   the N-th XModem block the calculator sends is damaged
//   corrupt-packet@N  the N-th command packet the calculator sends has a bad checksum
//   nak:COUNT@N       the N-th block or packet the calculator receives is refused COUNT times
//   lose-ack@N        the ACK of the N-th block is lost (the block comes again)
//   stall:MS@N        the calculator stalls MS milliseconds before the N-th command letter
//   can@N             the calculator cancels (CAN) instead of its N-th block
//   garbage@N         the N-th command letter is answered with garbage
// Noise (`--noise RATE --seed S`) flips a random bit of each written byte with
// probability RATE, from a generator seeded with S.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace bridgit::sim {

class TFaults {
 public:
  // Adds a fault; false (and the reason) for a spec that cannot be read.
  bool Add(const std::string& spec, std::string& error);
  void SetNoise(double rate, std::uint64_t seed);
  // Removes every fault and the noise (the line works again, uncut); the
  // number of faults that never fired, so that a test knows its fault struck.
  int Clear();

  // Counts an event of the kind; true when a fault fires on it (its argument in `arg`).
  bool Fire(const std::string& kind, int* arg = nullptr);

  // Byte-level faults on what the calculator writes; false when nothing at all
  // goes out (the line is cut).
  bool OnSend(std::string& bytes);
  // What the PC sends: nothing arrives once the line is cut.
  void OnReceive(std::string& bytes);
  bool Cut() const;

 private:
  struct TFault {
    std::string kind;
    int arg = 0;
    std::uint64_t when = 0;
    bool fired = false;
  };
  mutable std::mutex mutex_;
  std::vector<TFault> faults_;
  std::map<std::string, std::uint64_t> counts_;
  std::uint64_t bytesSent_ = 0;
  bool cut_ = false;
  double noise_ = 0;
  std::mt19937_64 rng_;
};

}  // namespace bridgit::sim

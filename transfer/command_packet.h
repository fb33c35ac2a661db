// Command packets: two length bytes (high, low), the payload, and the 8-bit
// sum of the payload. The framing is kept apart from the line so that it can
// be tested and fuzzed without a port.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace bridgit {

// The length field is two bytes.
inline constexpr std::size_t kMaxCommandPayload = 65535;
inline constexpr std::size_t kCommandSizeBytes = 2;

// The whole packet; nullopt when the payload is longer than the length field can say.
std::optional<std::string> EncodeCommandPacket(std::string_view payload);

// Reads a packet as its bytes arrive: the reader asks how many bytes it needs
// next, reads them from the line with its own time limits, and feeds them.
class TCommandPacketParser {
 public:
  enum class TPart { kSize, kPayload, kCheck, kDone };

  TPart Part() const { return part_; }
  // Bytes the current part still needs (0 once done).
  std::size_t Needed() const;
  // Uses the bytes up to the end of the packet and returns how many it used.
  std::size_t Feed(std::string_view bytes);
  // Once done: whether the check byte matched the payload.
  bool Good() const { return part_ == TPart::kDone && good_; }
  std::size_t Size() const { return size_; }
  const std::string& Payload() const { return payload_; }

 private:
  TPart part_ = TPart::kSize;
  std::string sizeBytes_;
  std::size_t size_ = 0;
  std::string payload_;
  bool good_ = false;
};

}  // namespace bridgit

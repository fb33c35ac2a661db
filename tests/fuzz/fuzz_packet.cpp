// Command packets from any bytes, fed in pieces of any size: the parser takes
// every byte up to the end of the packet, finishes exactly after length + 3, and
// a packet it accepts encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "transfer/command_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bridgit;
  if (size == 0) return 0;
  // The first byte chooses the piece sizes; the rest is the line.
  const std::size_t step = data[0] % 7 + 1;
  const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);
  TCommandPacketParser parser;
  std::size_t used = 0;
  while (used < line.size() && parser.Part() != TCommandPacketParser::TPart::kDone) {
    if (parser.Needed() == 0) __builtin_trap();
    const std::string_view piece = line.substr(used, step);
    const std::size_t took = parser.Feed(piece);
    if (took == 0 || took > piece.size()) __builtin_trap();
    if (took < piece.size() && parser.Part() != TCommandPacketParser::TPart::kDone) __builtin_trap();
    used += took;
  }
  if (parser.Part() == TCommandPacketParser::TPart::kDone) {
    if (used != parser.Size() + kCommandSizeBytes + 1) __builtin_trap();
    if (parser.Payload().size() != parser.Size()) __builtin_trap();
    const auto again = EncodeCommandPacket(parser.Payload());
    if (!again) __builtin_trap();
    if (parser.Good() != (*again == line.substr(0, used))) __builtin_trap();
  }
  // Any payload makes a packet that reads back whole and good.
  const auto packet = EncodeCommandPacket(line);
  if (!packet) return 0;
  TCommandPacketParser back;
  if (back.Feed(*packet) != packet->size() || !back.Good() || back.Payload() != line) __builtin_trap();
  return 0;
}

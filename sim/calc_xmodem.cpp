#include "sim/calc_xmodem.h"

namespace bridgit::sim {

namespace {

// A reflected CRC register shifted one bit at a time.
std::uint16_t ReflectedCrc(std::string_view bytes, std::uint16_t reflectedPoly) {
  std::uint16_t crc = 0;
  for (char c : bytes) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) {
      const bool out = crc & 1u;
      crc = static_cast<std::uint16_t>(crc >> 1);
      if (out) crc ^= reflectedPoly;
    }
  }
  return crc;
}

// A short last block is filled with this byte.
constexpr char kFill = 0x1A;

}  // namespace

bool CheckAskedBy(char request, TBlockCheck& check) {
  if (request == kNak) check = TBlockCheck::kSum;
  else if (request == kAskArc) check = TBlockCheck::kArc;
  else if (request == kAskKermit) check = TBlockCheck::kKermit;
  else return false;
  return true;
}

std::size_t CheckSize(TBlockCheck check) { return check == TBlockCheck::kSum ? 1 : 2; }

std::uint8_t ByteSum(std::string_view bytes) {
  std::uint8_t sum = 0;
  for (char c : bytes) sum = static_cast<std::uint8_t>(sum + static_cast<unsigned char>(c));
  return sum;
}

std::uint16_t ArcCrc(std::string_view bytes) { return ReflectedCrc(bytes, 0xA001); }

std::uint16_t KermitCrc(std::string_view bytes) { return ReflectedCrc(bytes, 0x8408); }

std::string CheckBytes(TBlockCheck check, std::string_view data) {
  std::string out;
  if (check == TBlockCheck::kSum) {
    out += static_cast<char>(ByteSum(data));
  } else if (check == TBlockCheck::kArc) {
    const std::uint16_t crc = ArcCrc(data);
    out += static_cast<char>(crc & 0xFF);
    out += static_cast<char>(crc >> 8);
  } else {
    const std::uint16_t crc = KermitCrc(data);
    out += static_cast<char>(crc >> 8);
    out += static_cast<char>(crc & 0xFF);
  }
  return out;
}

std::string MakeBlock(std::uint8_t number, std::string_view data, std::size_t size, TBlockCheck check) {
  std::string body(data.substr(0, size));
  body.resize(size, kFill);
  std::string block(1, size == kLongBlock ? kStx : kSoh);
  block += static_cast<char>(number);
  block += static_cast<char>(~number);
  block += body;
  block += CheckBytes(check, body);
  return block;
}

bool BlockIsWhole(std::string_view afterHeader, std::size_t size, TBlockCheck check, std::uint8_t number) {
  if (afterHeader.size() != 2 + size + CheckSize(check)) return false;
  if (static_cast<std::uint8_t>(afterHeader[0]) != number) return false;
  if (static_cast<std::uint8_t>(afterHeader[1]) != static_cast<std::uint8_t>(~number)) return false;
  return afterHeader.substr(2 + size) == CheckBytes(check, afterHeader.substr(2, size));
}

}  // namespace bridgit::sim

#include "transfer/block_checks.h"

#include <array>

namespace bridgit {

namespace {

std::array<std::uint16_t, 256> ArcTable() {
  std::array<std::uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i;
    for (int k = 0; k < 8; ++k) crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    t[i] = static_cast<std::uint16_t>(crc);
  }
  return t;
}

// Four bits at a time: T[16 i + j] = (i XOR j) x 0x1081.
std::array<std::uint32_t, 256> KermitTable() {
  std::array<std::uint32_t, 256> t{};
  for (unsigned i = 0; i < 16; ++i)
    for (unsigned j = 0; j < 16; ++j) t[16 * i + j] = (i ^ j) * 0x1081u;
  return t;
}

}  // namespace

std::uint8_t Checksum8(std::string_view bytes) {
  unsigned sum = 0;
  for (char c : bytes) sum += static_cast<unsigned char>(c);
  return static_cast<std::uint8_t>(sum);
}

std::uint16_t CrcArc16(std::string_view bytes) {
  static const auto table = ArcTable();
  unsigned crc = 0;
  for (char c : bytes) crc = (crc >> 8) ^ table[(crc ^ static_cast<unsigned char>(c)) & 0xFFu];
  return static_cast<std::uint16_t>(crc);
}

std::uint16_t CrcKermit16(std::string_view bytes) {
  static const auto table = KermitTable();
  std::uint32_t crc = 0;
  for (char ch : bytes) {
    const unsigned c = static_cast<unsigned char>(ch);
    crc = (crc >> 4) ^ table[16 * (crc & 15u) + (c & 15u)];
    crc = (crc >> 4) ^ table[16 * (crc & 15u) + (c >> 4)];
  }
  return static_cast<std::uint16_t>(crc);
}

}  // namespace bridgit

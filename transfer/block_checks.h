// The block checks of XModem transfers and command packets.
#pragma once

#include <cstdint>
#include <string_view>

namespace bridgit {

// Sum of the bytes modulo 256.
std::uint8_t Checksum8(std::string_view bytes);
// CRC-16/ARC: reflected polynomial 0xA001, initial 0, no final XOR (check 0xBB3D).
std::uint16_t CrcArc16(std::string_view bytes);
// CRC-16/KERMIT: reflected polynomial 0x8408, initial 0, no final XOR (check 0x2189).
std::uint16_t CrcKermit16(std::string_view bytes);

}  // namespace bridgit

// XModem framing shared by the PC's transfer threads and the calculator
// simulator: control bytes, check modes and blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bridgit::xmodem {

inline constexpr char SOH = 0x01;
inline constexpr char STX = 0x02;
inline constexpr char EOT = 0x04;
inline constexpr char ACK = 0x06;
inline constexpr char NAK = 0x15;
inline constexpr char CAN = 0x18;
inline constexpr char StartArc = 'C';
inline constexpr char StartKermit = 'D';

inline constexpr std::size_t kSmallBlock = 128;
inline constexpr std::size_t kLargeBlock = 1024;
// What fills a short last block beyond the end of the data.
inline constexpr char kPadding = 0x1A;

enum class TCheckMode { kChecksum, kCrcArc, kCrcKermit };

// The check mode a start request asks for, or false when the byte is none.
bool CheckModeOf(char startRequest, TCheckMode& mode);
char StartRequestOf(TCheckMode mode);
std::size_t CheckLength(TCheckMode mode);

// The check bytes of a block's data: checksum one byte; CRC-16/ARC low byte
// first; CRC-16/KERMIT high byte first.
std::string BlockCheck(TCheckMode mode, std::string_view data);

// Header, number, complement, data (padded to a full block of 128 or 1024
// bytes), check.
std::string BuildFrame(std::uint32_t blockNumber, std::string_view data, std::size_t blockSize, TCheckMode mode);

// The part of a frame after its header byte (number, complement, data, check)
// is a good block numbered `number`.
bool IsGoodBlock(std::string_view afterHeader, std::size_t blockSize, TCheckMode mode, std::uint8_t number);

}  // namespace bridgit::xmodem

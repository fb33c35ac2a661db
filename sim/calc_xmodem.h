// XModem as the calculator speaks it: its control bytes, the three block
// checks it can work with (computed bit by bit, as the calculator's own code
// does) and its blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bridgit::sim {

inline constexpr char kSoh = 0x01;
inline constexpr char kStx = 0x02;
inline constexpr char kEot = 0x04;
inline constexpr char kAck = 0x06;
inline constexpr char kNak = 0x15;
inline constexpr char kCan = 0x18;
inline constexpr char kAskArc = 'C';
inline constexpr char kAskKermit = 'D';

inline constexpr std::size_t kShortBlock = 128;
inline constexpr std::size_t kLongBlock = 1024;

enum class TBlockCheck { kSum, kArc, kKermit };

// The check a receiver's start request asks for; false when the byte is none.
bool CheckAskedBy(char request, TBlockCheck& check);
std::size_t CheckSize(TBlockCheck check);

// Sum of the bytes modulo 256.
std::uint8_t ByteSum(std::string_view bytes);
// CRC-16/ARC: polynomial 0x8005 taken least significant bit first, start 0.
std::uint16_t ArcCrc(std::string_view bytes);
// CRC-16/KERMIT: polynomial 0x1021 taken least significant bit first, start 0.
std::uint16_t KermitCrc(std::string_view bytes);

// The check bytes: the sum alone; ARC low byte first; KERMIT high byte first.
std::string CheckBytes(TBlockCheck check, std::string_view data);

// SOH or STX, number, its complement, the data filled up to `size`, the check.
std::string MakeBlock(std::uint8_t number, std::string_view data, std::size_t size, TBlockCheck check);

// What follows a block's header byte (number, complement, data, check) is a
// whole block numbered `number`.
bool BlockIsWhole(std::string_view afterHeader, std::size_t size, TBlockCheck check, std::uint8_t number);

}  // namespace bridgit::sim

#include "transfer/xmodem_frame.h"

#include "transfer/block_checks.h"

namespace bridgit::xmodem {

bool CheckModeOf(char startRequest, TCheckMode& mode) {
  switch (startRequest) {
    case NAK: mode = TCheckMode::kChecksum; return true;
    case StartArc: mode = TCheckMode::kCrcArc; return true;
    case StartKermit: mode = TCheckMode::kCrcKermit; return true;
    default: return false;
  }
}

char StartRequestOf(TCheckMode mode) {
  switch (mode) {
    case TCheckMode::kChecksum: return NAK;
    case TCheckMode::kCrcArc: return StartArc;
    case TCheckMode::kCrcKermit: return StartKermit;
  }
  return NAK;
}

std::size_t CheckLength(TCheckMode mode) { return mode == TCheckMode::kChecksum ? 1 : 2; }

std::string BlockCheck(TCheckMode mode, std::string_view data) {
  switch (mode) {
    case TCheckMode::kChecksum:
      return std::string(1, static_cast<char>(Checksum8(data)));
    case TCheckMode::kCrcArc: {
      const std::uint16_t crc = CrcArc16(data);
      return {static_cast<char>(crc & 0xFF), static_cast<char>(crc >> 8)};
    }
    case TCheckMode::kCrcKermit: {
      const std::uint16_t crc = CrcKermit16(data);
      return {static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
    }
  }
  return {};
}

std::string BuildFrame(std::uint32_t blockNumber, std::string_view data, std::size_t blockSize, TCheckMode mode) {
  std::string block(data.substr(0, blockSize));
  block.resize(blockSize, kPadding);
  const auto number = static_cast<std::uint8_t>(blockNumber & 0xFF);
  std::string frame;
  frame.reserve(blockSize + 5);
  frame += blockSize == kLargeBlock ? STX : SOH;
  frame += static_cast<char>(number);
  frame += static_cast<char>(255 - number);
  frame += block;
  frame += BlockCheck(mode, block);
  return frame;
}

bool IsGoodBlock(std::string_view afterHeader, std::size_t blockSize, TCheckMode mode, std::uint8_t number) {
  if (afterHeader.size() != blockSize + 2 + CheckLength(mode)) return false;
  if (static_cast<std::uint8_t>(afterHeader[0]) != number) return false;
  if (static_cast<std::uint8_t>(afterHeader[1]) != 255 - number) return false;
  const std::string_view data = afterHeader.substr(2, blockSize);
  return afterHeader.substr(2 + blockSize) == BlockCheck(mode, data);
}

}  // namespace bridgit::xmodem

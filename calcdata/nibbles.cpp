#include "calcdata/nibbles.h"

namespace bridgit {

std::string UnpackNibbles(std::string_view bytes) {
  std::string out(bytes.size() * 2, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out[2 * i] = static_cast<char>(b & 0x0F);
    out[2 * i + 1] = static_cast<char>(b >> 4);
  }
  return out;
}

std::string PackNibbles(std::string_view nibbles) {
  std::string out((nibbles.size() + 1) / 2, '\0');
  for (std::size_t k = 0; k < nibbles.size(); ++k) {
    const unsigned n = static_cast<unsigned char>(nibbles[k]) & 0x0Fu;
    auto& b = out[k / 2];
    b = static_cast<char>(static_cast<unsigned char>(b) | (k % 2 == 0 ? n : n << 4));
  }
  return out;
}

std::uint32_t NibbleField(std::string_view bytes, std::size_t k, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 4) | NibbleAt(bytes, k + static_cast<std::size_t>(i));
  return value;
}

void TNibbleWriter::Put(unsigned nibble) { nibbles_.push_back(static_cast<char>(nibble & 0x0Fu)); }

void TNibbleWriter::PutField(std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i, value >>= 4) Put(value & 0x0Fu);
}

void TNibbleWriter::PutBytes(std::string_view bytes) {
  for (char c : bytes) PutField(static_cast<unsigned char>(c), 2);
}

void TNibbleWriter::PutNibbles(std::string_view nibbles) {
  for (char n : nibbles) Put(static_cast<unsigned char>(n));
}

}  // namespace bridgit

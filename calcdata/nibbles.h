// Nibble images: calculator memory is a stream of 4-bit nibbles, two to a byte,
// the low nibble first. Multi-nibble fields hold their least significant nibble
// first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bridgit {

// Each byte becomes two bytes: its low 4 bits, then its high 4 bits.
std::string UnpackNibbles(std::string_view bytes);

// The reverse: pairs of nibble values (0 to 15) become bytes; an odd last
// nibble becomes a byte whose high nibble is 0.
std::string PackNibbles(std::string_view nibbles);

// Nibble k of a byte string (k < 2 * size).
inline unsigned NibbleAt(std::string_view bytes, std::size_t k) {
  const auto b = static_cast<unsigned char>(bytes[k / 2]);
  return (k % 2 == 0) ? (b & 0x0Fu) : (b >> 4);
}

// A field of `count` nibbles at k, least significant first. The caller makes
// sure that k + count <= 2 * size.
std::uint32_t NibbleField(std::string_view bytes, std::size_t k, int count);

// Builds a nibble image, one field at a time (the simulator and tests compose
// objects with it).
class TNibbleWriter {
 public:
  void Put(unsigned nibble);
  void PutField(std::uint32_t value, int count);  // least significant nibble first
  void Put5(std::uint32_t value) { PutField(value, 5); }
  void Put2(std::uint32_t value) { PutField(value, 2); }
  void PutBytes(std::string_view bytes);  // each byte as two nibbles
  void PutNibbles(std::string_view nibbles);
  std::size_t size() const { return nibbles_.size(); }
  const std::string& nibbles() const { return nibbles_; }
  std::string Packed() const { return PackNibbles(nibbles_); }

 private:
  std::string nibbles_;
};

}  // namespace bridgit

// The digraph table: the calculator characters that have a two-character
// spelling in the PC notation ("->" for the arrow, "Ga" for alpha), and the
// lookup tables built from it once.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace bridgit {

struct TDigraph {
  std::uint8_t code;
  char first;
  char second;
  bool caretSafe;  // has none of the characters that file names forbid
};

inline constexpr int kDigraphCount = 40;
extern const std::array<TDigraph, kDigraphCount> DigraphTable;

// The calculator code written by a digraph, or 0 when the two characters are none.
std::uint8_t DigraphCode(unsigned char first, unsigned char second);

// The digraph of a calculator code, or nullptr when it has none.
const TDigraph* DigraphOf(unsigned char code);

// "000" to "255": the three-digit decimal text of a code.
std::string_view DecimalText(unsigned char code);

}  // namespace bridgit

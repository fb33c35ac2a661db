// A 3 x 5 pixel font for the simulated display: digits, capitals and the
// punctuation the stack shows; small letters are drawn as capitals.
#pragma once

#include <cstdint>

namespace bridgit::sim {

inline constexpr int kGlyphWidth = 3;
inline constexpr int kGlyphHeight = 5;

// Five rows of three bits, the top row in the highest bits, the leftmost pixel
// of a row in its highest bit; a box for characters the font lacks.
std::uint16_t Glyph(char c);

}  // namespace bridgit::sim

// The calculator side's own XModem blocks and name notation.
#include <gtest/gtest.h>

#include "calcdata/escapes.h"
#include "sim/calc_names.h"
#include "sim/calc_xmodem.h"

namespace bridgit::sim {
namespace {

// The checks and the block layout fail end to end when wrong; the fill and the
// number a received block must carry do not.
TEST(CalcXModem, AShortBlockIsFilledAndABlockOfAnotherNumberRefused) {
  const std::string block = MakeBlock(1, "12", 128, TBlockCheck::kSum);
  EXPECT_EQ(block.substr(3, 128), "12" + std::string(126, '\x1A'));
  EXPECT_TRUE(BlockIsWhole(std::string_view(block).substr(1), 128, TBlockCheck::kSum, 1));
  EXPECT_FALSE(BlockIsWhole(std::string_view(block).substr(1), 128, TBlockCheck::kSum, 2));
  std::string badComplement = block.substr(1);
  badComplement[1] = '\xFF';  // the number 1 goes with 0xFE
  EXPECT_FALSE(BlockIsWhole(badComplement, 128, TBlockCheck::kSum, 1));
}

// The calculator's own spellings agree with the PC's, whose table and
// specimens are pinned against the published ones.
TEST(CalcNames, BackslashAndCaretSpellings) {
  for (const char* text : {"\\->X", "\\255", "\\300", "\\qz", "a\\x", "\\000", "\\\\a"})
    EXPECT_EQ(ReadBackslash(text), DecodeEscapes(text, TEscapeMode::kBackslash)) << text;
  EXPECT_EQ(ReadCaret("^Ga^141X^^^"), "\x8C\x8DX^^");
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    EXPECT_EQ(SpellBackslash(one), EncodeEscapes(one, TEscapeMode::kBackslash)) << c;
    if (c != ' ') { EXPECT_EQ(SpellCaret(one), EncodeEscapes(one, TEscapeMode::kCaret)) << c; }
    // (A lone escape at the very end is copied as it is, so none ends a name here.)
    const std::string name = one + "A" + one + "BC";
    EXPECT_EQ(ReadBackslash(SpellBackslash(name)), name) << c;
    const std::string file = SpellCaret(name);
    EXPECT_EQ(ReadCaret(file), name) << c;
    EXPECT_EQ(file.find_first_of("/\\:*?\"<>|"), std::string::npos) << c;
    EXPECT_NE(file[0], '.') << c;
  }
}

}  // namespace
}  // namespace bridgit::sim

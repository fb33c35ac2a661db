// The calculator side's own XModem blocks, name notation and object sizes;
// objects of types it does not know keep every nibble they came with.
#include <gtest/gtest.h>

#include "calcdata/escapes.h"
#include "sim/calc_names.h"
#include "sim/calc_xmodem.h"
#include "sim/rpl_objects.h"

namespace bridgit::sim {
namespace {

// The checks and the block layout fail end to end when wrong; the fill and the
// number a received block must carry do not.
TEST(CalcXModem, AShortBlockIsFilledAndABlockOfAnotherNumberRefused) {
  const std::string block = MakeBlock(1, "12", 128, TBlockCheck::kSum);
  EXPECT_EQ(block.substr(3, 128), "12" + std::string(126, '\x1A'));
  EXPECT_TRUE(BlockIsWhole(std::string_view(block).substr(1), 128, TBlockCheck::kSum, 1));
  EXPECT_FALSE(BlockIsWhole(std::string_view(block).substr(1), 128, TBlockCheck::kSum, 2));
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

// A Real (42.) and a Complex, which the simulator does not know, as files.
const std::string kRealObject = std::string("\x33\x29\x10\0\0\0\0\0\0\x42\0", 11);
const std::string kComplexObject = "\x77\x29" + std::string(17, '\x5A');  // 38 nibbles: 37 and one of padding

TEST(CalcObjects, KnownTypesAreCutToTheirLengthOthersKeepWhatTheyCameWith) {
  EXPECT_EQ(ObjectOfFile("ZQZQ73-C" + kRealObject + std::string(100, '\x1A')).size(), 21u);
  EXPECT_EQ(ObjectOfFile("ZQZQ73-C" + kComplexObject + std::string(9, '\x1A')).size(), 2 * (19u + 9u));
  const TObj complex = ObjectOfFile("ZQZQ73-C" + kComplexObject);
  EXPECT_EQ(ToBytes(complex), kComplexObject);
  EXPECT_FALSE(KnownLength(complex, 0));
  EXPECT_EQ(TypeName(PrologOf(complex)), nullptr);

  // A String of five characters: 5 + 15 nibbles. A List of two Reals: 52.
  EXPECT_EQ(ObjectLength(MakeString("HELLO"), 0), 20u);
  EXPECT_EQ(ObjectLength(MakeComposite(kList, {MakeReal(1), MakeReal(2)}), 0), 52u);
  // A List that holds an unknown object cannot be sized.
  EXPECT_FALSE(KnownLength(MakeComposite(kList, {complex}), 0));
}

}  // namespace
}  // namespace bridgit::sim

#include <gtest/gtest.h>

#include "calcdata/object_types.h"

namespace bridgit {
namespace {

using enum TSizeRule;

struct TRow {
  int icon;
  std::uint32_t code;
  const char* name;
  TSizeRule rule;
  int fixed;  // nibbles, for kFixed
};

// The calculator's object types, in order, written out as published.
constexpr TRow kTypes[] = {
    {9, 0x02BAA, "Access Pointer", kFixed, 15},
    {10, 0x029E8, "Array", kLengthPrefix, 0},
    {11, 0x02B62, "Backup", kLengthPrefix, 0},
    {12, 0x02911, "Binary Integer", kFixed, 10},
    {13, 0x029BF, "Character", kFixed, 7},
    {14, 0x02977, "Complex", kFixed, 37},
    {15, 0x02DCC, "Code", kLengthPrefix, 0},
    {16, 0x02D9D, "RPL", kComposite, 0},
    {17, 0x02A2C, "String", kLengthPrefix, 0},
    {18, 0x0299D, "Long Complex", kFixed, 47},
    {19, 0x02955, "Long Real", kFixed, 26},
    {20, 0x02ADA, "Unit", kComposite, 0},
    {21, 0x02B88, "Library Data Object", kLengthPrefix, 0},
    {22, 0x02BCC, "Font", kLengthPrefix, 0},
    {23, 0x02BEE, "Ext3", kLengthPrefix, 0},
    {24, 0x02C10, "Ext4", kLengthPrefix, 0},
    {25, 0x02B1E, "Graphical Object", kLengthPrefix, 0},
    {26, 0x02A4E, "Hex String", kLengthPrefix, 0},
    {27, 0x02E48, "Global", kName, 0},
    {28, 0x02E6D, "Local", kName, 0},
    {29, 0x02B40, "Library", kLengthPrefix, 0},
    {30, 0x02A74, "List", kComposite, 0},
    {31, 0x02A0A, "Linked Array", kLengthPrefix, 0},
    {32, 0x02933, "Real", kFixed, 21},
    {33, 0x02E92, "XLib", kFixed, 11},
    {34, 0x02A96, "Directory", kDirectory, 0},
    {35, 0x02AB8, "Algebraic", kComposite, 0},
    {36, 0x02AFC, "Tagged", kTagged, 0},
    {37, 0x0312B, "Semi", kFixed, 5},
    {38, 0x026D5, "Aplet", kFixed, 5},
    {39, 0x026AC, "Flash Pointer", kFixed, 12},
    {40, 0x02614, "Integer", kLengthPrefix, 0},
    {41, 0x02660, "InfP Complex", kInfPComplex, 0},
    {42, 0x0263A, "InfP Real", kInfPReal, 0},
    {43, 0x02686, "Matrix", kComposite, 0},
    {44, 0x026FE, "Mini Font", kFixed, 5},
};

TEST(ObjectTypeTable, EveryRowHasItsPublishedPrologNameIconSizeAndLookups) {
  ASSERT_EQ(kObjectTypeCount, 36);
  ASSERT_EQ(std::size(kTypes), 36u);
  for (int row = 0; row < 36; ++row) {
    const TRow& want = kTypes[row];
    const TObjectType& got = ObjectTypeTable[static_cast<std::size_t>(row)];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(got.code, want.code);
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(TypeIcon(row), want.icon);
    EXPECT_EQ(got.rule, want.rule);
    EXPECT_EQ(got.rule == kFixed ? got.fixedSize : 0, want.fixed);
    // Looked up by a listing's code and by prolog within the family.
    EXPECT_EQ(FindTypeByCode16(static_cast<std::uint16_t>(want.code & 0xFFFF)), row);
    EXPECT_EQ(FindTypeByProlog(want.code, TFamily::k73), row);
    // The older family knows the first 29 rows only (up to "Semi").
    EXPECT_EQ(FindTypeByProlog(want.code, TFamily::k71).has_value(), row <= 28);
  }
  EXPECT_FALSE(FindTypeByCode16(0x1234));
  EXPECT_FALSE(FindTypeByProlog(0x12A2C, TFamily::k73));
  EXPECT_FALSE(FindTypeByProlog(0x02614, TFamily::k71));
  EXPECT_FALSE(FindTypeByProlog(0, TFamily::k73));
  EXPECT_FALSE(FindTypeByProlog(0xFFFFF, TFamily::k73));
  // The icons other parts name by number.
  EXPECT_EQ(kDirectoryIcon, 34);
  EXPECT_EQ(kAlgebraicIcon, 35);
  EXPECT_EQ(kStringIcon, 17);
}

}  // namespace
}  // namespace bridgit

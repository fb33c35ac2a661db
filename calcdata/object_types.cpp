#include "calcdata/object_types.h"

namespace bridgit {

using enum TSizeRule;

const std::array<TObjectType, kObjectTypeCount> ObjectTypeTable = {{
    {0x02BAA, "Access Pointer", kFixed, 15},
    {0x029E8, "Array", kLengthPrefix, 0},
    {0x02B62, "Backup", kLengthPrefix, 0},
    {0x02911, "Binary Integer", kFixed, 10},
    {0x029BF, "Character", kFixed, 7},
    {0x02977, "Complex", kFixed, 37},
    {0x02DCC, "Code", kLengthPrefix, 0},
    {0x02D9D, "RPL", kComposite, 0},
    {0x02A2C, "String", kLengthPrefix, 0},
    {0x0299D, "Long Complex", kFixed, 47},
    {0x02955, "Long Real", kFixed, 26},
    {0x02ADA, "Unit", kComposite, 0},
    {0x02B88, "Library Data Object", kLengthPrefix, 0},
    {0x02BCC, "Font", kLengthPrefix, 0},
    {0x02BEE, "Ext3", kLengthPrefix, 0},
    {0x02C10, "Ext4", kLengthPrefix, 0},
    {0x02B1E, "Graphical Object", kLengthPrefix, 0},
    {0x02A4E, "Hex String", kLengthPrefix, 0},
    {0x02E48, "Global", kName, 0},
    {0x02E6D, "Local", kName, 0},
    {0x02B40, "Library", kLengthPrefix, 0},
    {0x02A74, "List", kComposite, 0},
    {0x02A0A, "Linked Array", kLengthPrefix, 0},
    {0x02933, "Real", kFixed, 21},
    {0x02E92, "XLib", kFixed, 11},
    {0x02A96, "Directory", kDirectory, 0},
    {0x02AB8, "Algebraic", kComposite, 0},
    {0x02AFC, "Tagged", kTagged, 0},
    {0x0312B, "Semi", kFixed, 5},
    {0x026D5, "Aplet", kFixed, 5},
    {0x026AC, "Flash Pointer", kFixed, 12},
    {0x02614, "Integer", kLengthPrefix, 0},
    {0x02660, "InfP Complex", kInfPComplex, 0},
    {0x0263A, "InfP Real", kInfPReal, 0},
    {0x02686, "Matrix", kComposite, 0},
    {0x026FE, "Mini Font", kFixed, 5},
}};

std::optional<int> FindTypeByCode16(std::uint16_t code) {
  for (int row = 0; row < kObjectTypeCount; ++row)
    if ((ObjectTypeTable[static_cast<std::size_t>(row)].code & 0xFFFF) == code) return row;
  return std::nullopt;
}

namespace {

// Every prolog of the table lies in [kLowestProlog, kSemiProlog]: a direct index
// over that range keeps the object walk at one look-up a step.
constexpr std::uint32_t kLowestProlog = 0x02600;
constexpr std::size_t kPrologSpan = kSemiProlog - kLowestProlog + 1;

struct TPrologIndex {
  std::array<std::int8_t, kPrologSpan> row{};
  TPrologIndex() {
    row.fill(-1);
    // Filled backwards so that the first row of a code wins.
    for (int r = kObjectTypeCount - 1; r >= 0; --r)
      row[ObjectTypeTable[static_cast<std::size_t>(r)].code - kLowestProlog] = static_cast<std::int8_t>(r);
  }
};

}  // namespace

std::optional<int> FindTypeByProlog(std::uint32_t prolog, TFamily family) {
  static const TPrologIndex index;
  if (prolog < kLowestProlog || prolog > kSemiProlog) return std::nullopt;
  const int r = index.row[prolog - kLowestProlog];
  const int rows = family == TFamily::k73 ? kObjectTypeCount : k71TypeCount;
  if (r < 0 || r >= rows) return std::nullopt;
  return r;
}

}  // namespace bridgit

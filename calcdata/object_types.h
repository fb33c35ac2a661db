// The table of calculator object types: prolog code, name, icon and size rule.
//
// Rows 0 to 28 are the "71" family's types; the "73" family knows all 36.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace bridgit {

enum class TFamily { k71, k73 };

// How SkipObject finds the end of an object of a type.
enum class TSizeRule {
  kFixed,         // a fixed number of nibbles, prolog included
  kLengthPrefix,  // a 5-nibble length field after the prolog
  kComposite,     // objects up to and including the end marker
  kName,          // 2-nibble character count, then the characters
  kTagged,        // a name, then one object
  kDirectory,     // an offset to the last variable, whose object ends it
  kInfPReal,      // two length-prefixed fields without prolog
  kInfPComplex,   // four length-prefixed fields without prolog
};

struct TObjectType {
  std::uint32_t code;  // the 20-bit prolog
  std::string_view name;
  TSizeRule rule;
  int fixedSize;  // nibbles, for kFixed
};

inline constexpr int kObjectTypeCount = 36;
inline constexpr int k71TypeCount = 29;
// Image index of a type is its row + this.
inline constexpr int kTypeIconBase = 9;
inline constexpr int kProgramIcon = 16;  // "RPL"
inline constexpr int kStringIcon = 17;
inline constexpr int kListIcon = 30;
inline constexpr int kRealIcon = 32;
inline constexpr int kDirectoryIcon = 34;
inline constexpr int kAlgebraicIcon = 35;

inline constexpr std::uint32_t kSemiProlog = 0x0312B;  // end marker of composites
inline constexpr std::uint32_t kListProlog = 0x02A74;

extern const std::array<TObjectType, kObjectTypeCount> ObjectTypeTable;

// The first row whose code's low 16 bits equal the code of a directory listing.
std::optional<int> FindTypeByCode16(std::uint16_t code);

// The first row of the family's rows whose prolog equals the given 20-bit prolog.
std::optional<int> FindTypeByProlog(std::uint32_t prolog, TFamily family);

constexpr int TypeIcon(int row) { return row + kTypeIconBase; }

}  // namespace bridgit

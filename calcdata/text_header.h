// The first line of a calculator text file:
//   "%%ZQ: T(" + level + ")A(" + angle + ")F(" + fraction mark + ");"
// 19 characters, then the line end and the body.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bridgit {

inline constexpr std::string_view kTextMagic = "%%ZQ: ";
// An older spelling that is accepted as a text file too.
inline constexpr std::string_view kAltTextMagic = "%ZQZQ: ";
// A text whose first ';' is within this many characters has a header.
inline constexpr std::size_t kHeaderSearchLength = 21;

// level: 0 to 3; angle: 'D', 'R' or 'G'; fraction: '.' or ','.
std::string MakeTextHeader(int level, char angle, char fraction);

// True when the bytes start as a text file ("%%ZQ: " or "%ZQZQ: ").
bool StartsAsTextFile(std::string_view bytes);

struct TTextFile {
  bool hasHeader = false;
  std::string_view header;           // up to and including the ';'
  std::optional<char> angle;         // the character after "A(", when present
  std::optional<char> fraction;      // the character after "F(", when present
  std::string_view body;             // the rest, leading blanks and line ends skipped
};

// Splits a text file into its header (when its first ';' is within the first 21
// characters) and its body: the body starts two characters after the ';' (the
// line end is skipped whatever it is), then characters with codes up to 32 are
// skipped. Without a header the whole text is the body.
TTextFile SplitTextFile(std::string_view text);

}  // namespace bridgit

// The 8-byte header of a binary object file: "ZQZQ", the model family digits,
// "-" and a revision letter. The object's nibbles follow from byte 8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "calcdata/object_types.h"

namespace bridgit {

inline constexpr std::string_view kBinaryMagic = "ZQZQ";
inline constexpr std::size_t kObjectHeaderSize = 8;
inline constexpr std::size_t kObjectStartNibble = 2 * kObjectHeaderSize;
// Files the PC writes itself carry this revision letter.
inline constexpr char kPcRevision = 'C';

inline constexpr std::string_view kFamily71 = "71";
inline constexpr std::string_view kFamily73 = "73";

// "ZQZQ" + family + "-" + revision.
std::string MakeObjectHeader(std::string_view family, char revision = kPcRevision);

// True when the bytes start with "ZQZQ" + model (the connected calculator's family).
bool IsBinaryObjectFor(std::string_view bytes, std::string_view model);

// True when the bytes start with "ZQZQ" (of any family).
bool HasBinaryMagic(std::string_view bytes);

// The family a header names: "73" when its characters 5-6 say so, else "71".
TFamily HeaderFamily(std::string_view bytes);

std::string_view FamilyDigits(TFamily family);

}  // namespace bridgit

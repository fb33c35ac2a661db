// What a PC file offered to the calculator looks like from its first bytes:
// a binary object of the connected family, a text file, or neither, in which
// case the user is asked and shown what kind it seems to be.
#pragma once

#include <string>
#include <string_view>

namespace bridgit {

// Bytes of a file that decide its kind.
inline constexpr std::size_t kFileKindBytes = 8;

enum class TFileClass {
  kBinary,         // "ZQZQ" and the connected family
  kText,           // a text file header
  kForeignBinary,  // "ZQZQ" of another family or revision
  kUnknown,        // anything else
};

struct TFileClassification {
  TFileClass cls = TFileClass::kUnknown;
  // For the question: the header's family and dash for a foreign binary,
  // the file's extension (or "unknown") otherwise.
  std::string kind;
};

TFileClassification ClassifyObjectFile(std::string_view firstBytes, const std::string& fileName,
                                       std::string_view model);

}  // namespace bridgit

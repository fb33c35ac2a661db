#include "calcdata/file_kind.h"

#include "base/files.h"
#include "calcdata/object_header.h"
#include "calcdata/text_header.h"

namespace bridgit {

TFileClassification ClassifyObjectFile(std::string_view firstBytes, const std::string& fileName,
                                       std::string_view model) {
  const std::string_view first = firstBytes.substr(0, kFileKindBytes);
  if (IsBinaryObjectFor(first, model)) return {TFileClass::kBinary, ""};
  if (StartsAsTextFile(first)) return {TFileClass::kText, ""};
  if (HasBinaryMagic(first)) return {TFileClass::kForeignBinary, std::string(first.substr(2, 4))};
  const std::string name = FileNamePart(fileName);
  const std::size_t dot = name.rfind('.');
  return {TFileClass::kUnknown, dot == std::string::npos || dot == 0 ? "unknown" : name.substr(dot + 1)};
}

}  // namespace bridgit

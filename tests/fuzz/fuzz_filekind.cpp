// The kind of a file offered to the calculator, from any first bytes and any
// file name: a binary object always starts with the magic, an unknown file
// always names a kind for the question, and classification is total.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calcdata/file_kind.h"
#include "calcdata/object_header.h"
#include "calcdata/object_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bridgit;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  // Up to the first NUL after byte 8 is the file name, the rest the file.
  const std::size_t split = all.find('\0', kFileKindBytes);
  const std::string bytes(all.substr(0, split));
  const std::string name = split == std::string_view::npos ? "" : std::string(all.substr(split + 1));
  for (std::string_view model : {kFamily71, kFamily73}) {
    const TFileClassification found = ClassifyObjectFile(bytes, name, model);
    switch (found.cls) {
      case TFileClass::kBinary:
        if (!HasBinaryMagic(bytes) || !found.kind.empty()) __builtin_trap();
        break;
      case TFileClass::kText:
        if (!found.kind.empty()) __builtin_trap();
        break;
      case TFileClass::kForeignBinary:
        if (!HasBinaryMagic(bytes) || found.kind.size() > 4) __builtin_trap();
        break;
      case TFileClass::kUnknown:
        if (found.kind.empty() && !name.ends_with('.')) __builtin_trap();
        break;
    }
  }
  // What a put checks next of a binary file: its length from the object itself.
  std::size_t nibbles = 0;
  if (ObjectNibbleLength(bytes, nibbles) && (kObjectStartNibble + nibbles + 1) / 2 > bytes.size()) __builtin_trap();
  return 0;
}

// Object walks on any bytes: they end, fail cleanly, and never grow the bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "calcdata/object_header.h"
#include "calcdata/object_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::string_view family : {bridgit::kFamily71, bridgit::kFamily73}) {
    std::string bytes = bridgit::MakeObjectHeader(family) + std::string(reinterpret_cast<const char*>(data), size);
    const std::string before = bytes;
    const bridgit::TTrimResult r = bridgit::TrimObject(bytes);
    if (r.success ? bytes.size() > before.size() : bytes != before) __builtin_trap();
  }
  return 0;
}

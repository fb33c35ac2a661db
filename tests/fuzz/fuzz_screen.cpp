// Screen pictures from any capture string: never read past it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "picture/screen_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const bridgit::TScreenPicture p = bridgit::DecodeCapture(std::string(reinterpret_cast<const char*>(data), size));
  if (p.dark.size() != static_cast<std::size_t>(p.width * p.height)) __builtin_trap();
  if (p.width > 0 && p.height > 0 && p.width * p.height < 4096) bridgit::EncodeBmp(p);
  return 0;
}

// Text file headers and printed flag lists, from any text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "calcdata/text_header.h"
#include "session/flag_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const bridgit::TTextFile f = bridgit::SplitTextFile(text);
  if (f.body.size() > text.size()) __builtin_trap();
  if (bridgit::ParseFlagList(text, 4).size() != 4) __builtin_trap();
  return 0;
}

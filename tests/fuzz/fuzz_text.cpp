// The escape notations and text translations on any text: caret names read
// back unchanged, and a quoted text never ends its string literal early.
#include <cstddef>
#include <cstdint>
#include <string>

#include "calcdata/escapes.h"
#include "calcdata/text_translate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bridgit;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (text.find('\0') == std::string::npos) {
    const std::string caret = EncodeEscapes(text, TEscapeMode::kCaret);
    if (DecodeEscapes(caret, TEscapeMode::kCaret) != text) __builtin_trap();
  }
  DecodeEscapes(text, TEscapeMode::kBackslash);
  CalcTextToPC(text, {.level = 3, .translateControl = true, .isString = true, .addCR = true});
  PCTextToCalc(text, false);
  const std::string quoted = PCTextToCalc(text, true);
  for (std::size_t i = 0; i < quoted.size(); ++i) {
    if (quoted[i] == '\\') {
      ++i;  // an escaped character
      continue;
    }
    if (quoted[i] == '"') __builtin_trap();  // would end the literal
  }
  return 0;
}

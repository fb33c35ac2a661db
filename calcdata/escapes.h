// The PC notation of calculator characters: an escape character followed by a
// digraph or a three-digit decimal code. Backslash notation is used in texts and
// names shown to the user; caret notation in PC file names.
#pragma once

#include <string>
#include <string_view>

namespace bridgit {

enum class TEscapeMode { kBackslash, kCaret };

// PC notation to calculator characters.
std::string DecodeEscapes(std::string_view text, TEscapeMode mode);

// Calculator characters to PC notation. In caret mode the result is always a
// legal file name on Linux and Windows: besides the characters that file names
// forbid, a trailing dot or space and the last letter of a reserved device name
// (CON, NUL, COM1, ...) are written as decimal codes, which DecodeEscapes reads
// back unchanged.
std::string EncodeEscapes(std::string_view calc, TEscapeMode mode);

}  // namespace bridgit

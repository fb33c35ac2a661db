// How the calculator's characters are spelled on the PC side of the simulator:
// the backslash notation of its dump and control commands ("\->X"), and the
// caret notation of the file names in a memory folder ("^->" is no file name
// character, so "^141X").
#pragma once

#include <string>
#include <string_view>

namespace bridgit::sim {

// Calculator characters to backslash notation, and back.
std::string SpellBackslash(std::string_view chars);
std::string ReadBackslash(std::string_view text);

// Calculator characters to a file name in caret notation, and back.
std::string SpellCaret(std::string_view chars);
std::string ReadCaret(std::string_view text);

}  // namespace bridgit::sim

// Translation between calculator text (8-bit characters) and the text of PC
// text files (plain ASCII with backslash escapes).
#pragma once

#include <string>
#include <string_view>

namespace bridgit {

struct TTextOptions {
  // 2 translates codes 128-159, 3 translates 128-255, 0 and 1 none of them.
  int level = 3;
  // Also translate control codes 0-31 (but LF) and 127.
  bool translateControl = false;
  // The text is a string object's: double quotes and backslashes get a backslash.
  bool isString = false;
  // Each LF is written as CR LF.
  bool addCR = false;
};

// The body of a text file written from calculator text.
std::string CalcTextToPC(std::string_view calc, const TTextOptions& options);

// The body of a text file read for sending: escapes decoded, CR dropped,
// trailing blanks and line ends removed. With `quote` set the result can stand
// between double quotes as a string literal of the calculator's language: no
// character of the text can end the literal early.
std::string PCTextToCalc(std::string_view text, bool quote);

}  // namespace bridgit

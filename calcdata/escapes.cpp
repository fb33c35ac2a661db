#include "calcdata/escapes.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "calcdata/digraphs.h"

namespace bridgit {

namespace {

inline char EscapeChar(TEscapeMode mode) { return mode == TEscapeMode::kCaret ? '^' : '\\'; }

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Printable ASCII characters that caret notation must still escape.
constexpr std::string_view kCaretForbidden = "^\\/<>:*?\"|";

// Device names that Windows reserves, with or without an extension.
constexpr std::array<std::string_view, 22> kReservedNames = {
    "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
    "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

bool IsReservedStem(std::string_view stem) {
  return std::any_of(kReservedNames.begin(), kReservedNames.end(), [stem](std::string_view r) {
    return r.size() == stem.size() &&
           std::equal(r.begin(), r.end(), stem.begin(),
                      [](char a, char b) { return a == std::toupper(static_cast<unsigned char>(b)); });
  });
}

// The input position whose character caret notation must write as a decimal
// code to keep the file name legal, or npos.
std::size_t CaretForcedPosition(std::string_view calc) {
  if (calc.empty()) return std::string_view::npos;
  const char last = calc.back();
  if (last == '.' || last == ' ') return calc.size() - 1;
  const std::string_view stem = calc.substr(0, calc.find('.'));
  if (IsReservedStem(stem)) return stem.size() - 1;
  return std::string_view::npos;
}

}  // namespace

std::string DecodeEscapes(std::string_view text, TEscapeMode mode) {
  const char e = EscapeChar(mode);
  const std::size_t n = text.size();
  std::string out;
  out.reserve(n);
  for (std::size_t j = 0; j < n; ++j) {
    char taken = text[j];
    if (taken == e && n - j > 2) {
      if (n - j > 3 && IsDigit(text[j + 1]) && IsDigit(text[j + 2]) && IsDigit(text[j + 3]) &&
          text.substr(j + 1, 3) != "000") {
        const int code = (text[j + 1] - '0') * 100 + (text[j + 2] - '0') * 10 + (text[j + 3] - '0');
        taken = static_cast<char>(code % 256);
        j += 3;
      } else if (const auto code = DigraphCode(static_cast<unsigned char>(text[j + 1]),
                                               static_cast<unsigned char>(text[j + 2]))) {
        taken = static_cast<char>(code);
        j += 2;
      } else {
        ++j;  // the escape is dropped, the next character taken as it is
        taken = text[j];
      }
    }
    out += taken;
  }
  return out;
}

std::string EncodeEscapes(std::string_view calc, TEscapeMode mode) {
  const char e = EscapeChar(mode);
  const bool caret = mode == TEscapeMode::kCaret;
  const std::size_t forced = caret ? CaretForcedPosition(calc) : std::string_view::npos;
  std::string out;
  out.reserve(calc.size() + 8);
  for (std::size_t i = 0; i < calc.size(); ++i) {
    const auto c = static_cast<unsigned char>(calc[i]);
    const bool printable = c >= 32 && c <= 126;
    if (!caret && c == '\\') {
      out += "\\\\";
      continue;
    }
    if (printable && i != forced && (!caret || kCaretForbidden.find(static_cast<char>(c)) == std::string_view::npos)) {
      out += static_cast<char>(c);
      continue;
    }
    out += e;
    const TDigraph* d = DigraphOf(c);
    if (d && (!caret || d->caretSafe)) {
      out += d->first;
      out += d->second;
    } else {
      out += DecimalText(c);
    }
  }
  return out;
}

}  // namespace bridgit

#include "calcdata/text_translate.h"

#include <array>

#include "calcdata/digraphs.h"

namespace bridgit {

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What CalcTextToPC does with one byte.
enum TCalcAction : unsigned char { kCopy, kTranslate, kQuoteInString, kLineEnd };

std::array<TCalcAction, 256> CalcActions(const TTextOptions& o) {
  std::array<TCalcAction, 256> act{};
  const int limit = o.level == 2 ? 159 : o.level == 3 ? 255 : 127;
  for (int c = 128; c <= limit; ++c) act[static_cast<std::size_t>(c)] = kTranslate;
  if (o.translateControl) {
    for (int c = 0; c <= 31; ++c)
      if (c != '\n') act[static_cast<std::size_t>(c)] = kTranslate;
    act[127] = kTranslate;
  }
  if (o.isString) act['"'] = act['\\'] = kQuoteInString;
  if (o.addCR) act['\n'] = kLineEnd;
  return act;
}

// Appends the stretch [from, to) of plain characters in one step.
inline void Flush(std::string& out, std::string_view src, std::size_t from, std::size_t to) {
  if (to > from) out.append(src.data() + from, to - from);
}

}  // namespace

std::string CalcTextToPC(std::string_view calc, const TTextOptions& options) {
  const auto act = CalcActions(options);
  std::string out;
  out.reserve(calc.size() + calc.size() / 8 + 16);
  std::size_t plain = 0;  // start of the pending stretch of copied bytes
  for (std::size_t i = 0; i < calc.size(); ++i) {
    const auto c = static_cast<unsigned char>(calc[i]);
    const TCalcAction a = act[c];
    if (a == kCopy) continue;
    Flush(out, calc, plain, i);
    plain = i + 1;
    switch (a) {
      case kTranslate:
        out += '\\';
        if (const TDigraph* d = DigraphOf(c)) {
          out += d->first;
          out += d->second;
        } else {
          out += DecimalText(c);
        }
        break;
      case kQuoteInString:
        out += '\\';
        out += static_cast<char>(c);
        break;
      case kLineEnd:
        out += "\r\n";
        break;
      case kCopy:
        break;
    }
  }
  Flush(out, calc, plain, calc.size());
  return out;
}

std::string PCTextToCalc(std::string_view text, bool quote) {
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  const std::size_t n = text.size();
  std::string out;
  out.reserve(n + 16);

  // Writes a byte that an escape produced. Inside a string literal a double
  // quote or a backslash made by "\034" or "\092" must not end or bend the
  // literal, so it gets a backslash of its own.
  auto putDecoded = [&](char c) {
    if (quote && (c == '"' || c == '\\')) out += '\\';
    out += c;
  };

  std::size_t plain = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const char c = text[j];
    if (c != '\\' && c != '\r' && !(quote && c == '"')) continue;
    Flush(out, text, plain, j);
    if (c == '\r') {  // dropped; what follows is read afresh, escapes included
      plain = j + 1;
      continue;
    }
    if (c == '"') {  // only in quote mode
      out += "\\\"";
      plain = j + 1;
      continue;
    }
    // A backslash.
    if (j + 1 >= n) {
      // A lone backslash at the very end: inside a literal it would swallow the
      // closing quote, so it is doubled like any unrecognised backslash.
      out += quote ? "\\\\" : "\\";
      plain = j + 1;
      continue;
    }
    if (j + 3 < n && IsDigit(text[j + 1]) && IsDigit(text[j + 2]) && IsDigit(text[j + 3])) {
      const int code = (text[j + 1] - '0') * 100 + (text[j + 2] - '0') * 10 + (text[j + 3] - '0');
      putDecoded(static_cast<char>(code % 256));
      j += 3;
    } else if (std::uint8_t code = j + 2 < n ? DigraphCode(static_cast<unsigned char>(text[j + 1]),
                                                           static_cast<unsigned char>(text[j + 2]))
                                             : 0) {
      putDecoded(static_cast<char>(code));
      j += 2;
    } else if (quote) {
      // An unrecognised backslash is doubled; "\\" becomes four backslashes.
      out += '\\';
      if (text[j + 1] == '\\') {
        ++j;
        out += "\\\\";
      }
      out += '\\';
    } else {
      // Unrecognised escapes pass through unchanged.
      out += '\\';
      ++j;
      out += text[j];
    }
    plain = j + 1;
  }
  Flush(out, text, plain, n);
  return out;
}

}  // namespace bridgit

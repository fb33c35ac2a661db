#include "sim/calc_names.h"

#include <cctype>

namespace bridgit::sim {

namespace {

// The calculator characters that have a two-letter spelling.
struct TSpelling {
  int code;
  const char* letters;
};

constexpr TSpelling kSpellings[] = {
    {128, "<)"}, {129, "x-"}, {130, ".V"}, {131, "v/"}, {132, ".S"}, {133, "GS"}, {134, "|>"}, {135, "pi"},
    {136, ".d"}, {137, "<="}, {138, ">="}, {139, "=/"}, {140, "Ga"}, {141, "->"}, {142, "<-"}, {143, "|v"},
    {144, "|^"}, {145, "Gg"}, {146, "Gd"}, {147, "Ge"}, {148, "Gn"}, {149, "Gh"}, {150, "Gl"}, {151, "Gr"},
    {152, "Gs"}, {153, "Gt"}, {154, "Gw"}, {155, "GD"}, {156, "PI"}, {157, "GW"}, {158, "[]"}, {159, "oo"},
    {171, "<<"}, {176, "^o"}, {181, "Gm"}, {187, ">>"}, {215, ".x"}, {216, "0/"}, {223, "Gb"}, {247, ":-"},
};

constexpr std::string_view kNotInFileNames = "\\/:*?\"<>|";

const char* LettersOf(unsigned char code) {
  for (const TSpelling& s : kSpellings)
    if (s.code == code) return s.letters;
  return nullptr;
}

int CodeOf(char a, char b) {
  for (const TSpelling& s : kSpellings)
    if (s.letters[0] == a && s.letters[1] == b) return s.code;
  return -1;
}

bool FitsFileName(const char* letters) {
  return kNotInFileNames.find(letters[0]) == std::string_view::npos &&
         kNotInFileNames.find(letters[1]) == std::string_view::npos;
}

std::string Decimal(unsigned char code) {
  return {static_cast<char>('0' + code / 100), static_cast<char>('0' + code / 10 % 10), static_cast<char>('0' + code % 10)};
}

bool Digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Escape, then three digits (not "000") or two letters; otherwise the escape
// only keeps the character after it from being read as part of an escape.
std::string Read(std::string_view text, char escape) {
  std::string out;
  for (std::size_t j = 0; j < text.size(); ++j) {
    const std::size_t left = text.size() - j - 1;
    if (text[j] != escape || left < 2) {
      out += text[j];
      continue;
    }
    if (left >= 3 && Digit(text[j + 1]) && Digit(text[j + 2]) && Digit(text[j + 3]) && text.substr(j + 1, 3) != "000") {
      out += static_cast<char>(((text[j + 1] - '0') * 100 + (text[j + 2] - '0') * 10 + (text[j + 3] - '0')) % 256);
      j += 3;
    } else if (const int code = CodeOf(text[j + 1], text[j + 2]); code >= 0) {
      out += static_cast<char>(code);
      j += 2;
    } else {
      out += text[++j];
    }
  }
  return out;
}

}  // namespace

std::string SpellBackslash(std::string_view chars) {
  std::string out;
  for (char ch : chars) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 32 && c <= 126) {
      out += ch;
    } else {
      const char* letters = LettersOf(c);
      out += '\\';
      out += letters ? std::string(letters) : Decimal(c);
    }
  }
  return out;
}

std::string ReadBackslash(std::string_view text) { return Read(text, '\\'); }

std::string SpellCaret(std::string_view chars) {
  std::string out;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    const auto c = static_cast<unsigned char>(chars[i]);
    // A leading dot would hide the file or name the folder itself.
    const bool plain = c >= 32 && c <= 126 && c != '^' && kNotInFileNames.find(static_cast<char>(c)) == std::string_view::npos &&
                       !(i == 0 && c == '.');
    if (plain) {
      out += static_cast<char>(c);
      continue;
    }
    const char* letters = LettersOf(c);
    out += '^';
    out += letters && FitsFileName(letters) ? std::string(letters) : Decimal(c);
  }
  return out;
}

std::string ReadCaret(std::string_view text) { return Read(text, '^'); }

}  // namespace bridgit::sim

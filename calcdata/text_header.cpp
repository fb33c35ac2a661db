#include "calcdata/text_header.h"

namespace bridgit {

std::string MakeTextHeader(int level, char angle, char fraction) {
  std::string h(kTextMagic);
  h += "T(";
  h += static_cast<char>('0' + level);
  h += ")A(";
  h += angle;
  h += ")F(";
  h += fraction;
  h += ");";
  return h;
}

bool StartsAsTextFile(std::string_view bytes) {
  return bytes.starts_with(kTextMagic) || bytes.starts_with(kAltTextMagic);
}

namespace {

// The character after `key` when the key starts at a 1-based position below 21.
std::optional<char> ModeAfter(std::string_view header, std::string_view key) {
  const std::size_t at = header.find(key);
  if (at == std::string_view::npos || at + 1 >= kHeaderSearchLength) return std::nullopt;
  if (at + key.size() >= header.size()) return std::nullopt;
  return header[at + key.size()];
}

}  // namespace

TTextFile SplitTextFile(std::string_view text) {
  TTextFile file;
  const std::size_t semi = text.find(';');
  if (semi == std::string_view::npos || semi >= kHeaderSearchLength) {
    file.body = text;
    return file;
  }
  file.hasHeader = true;
  file.header = text.substr(0, semi + 1);
  file.angle = ModeAfter(file.header, "A(");
  file.fraction = ModeAfter(file.header, "F(");
  std::size_t start = semi + 2;
  while (start < text.size() && static_cast<unsigned char>(text[start]) <= 32) ++start;
  file.body = start < text.size() ? text.substr(start) : std::string_view{};
  return file;
}

}  // namespace bridgit

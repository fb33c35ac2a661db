#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "calcdata/digraphs.h"
#include "calcdata/escapes.h"

namespace bridgit {
namespace {

std::string Bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s += static_cast<char>(c);
  return s;
}

TEST(Digraphs, CaretFlagMarksExactlyTheFileNameSafeDigraphs) {
  const std::string_view forbidden = "\\/:*?\"<>|";
  for (const TDigraph& d : DigraphTable) {
    const bool unsafe = forbidden.find(d.first) != std::string_view::npos ||
                        forbidden.find(d.second) != std::string_view::npos;
    EXPECT_EQ(d.caretSafe, !unsafe) << int(d.code);
    EXPECT_EQ(DigraphCode(static_cast<unsigned char>(d.first), static_cast<unsigned char>(d.second)), d.code);
    EXPECT_EQ(DigraphOf(d.code), &d);
  }
  EXPECT_EQ(DigraphOf(160), nullptr);
  EXPECT_EQ(DigraphCode('a', 'b'), 0);
  EXPECT_EQ(DecimalText(7), "007");
  EXPECT_EQ(DecimalText(255), "255");
}

TEST(DecodeEscapes, BackslashNotation) {
  const auto dec = [](std::string_view t) { return DecodeEscapes(t, TEscapeMode::kBackslash); };
  EXPECT_EQ(dec("\\->"), Bytes({141}));
  EXPECT_EQ(dec("\\255"), Bytes({255}));
  EXPECT_EQ(dec("\\300"), ",");
  EXPECT_EQ(dec("\\qz"), "qz");
  EXPECT_EQ(dec("a\\x"), "a\\x");  // one character after the escape: unchanged
  EXPECT_EQ(dec("\\\\"), "\\\\");  // likewise
  EXPECT_EQ(dec("\\\\a"), "\\a");
  EXPECT_EQ(dec("\\000"), "000");
  EXPECT_EQ(dec("\\<<X\\>>"), Bytes({171, 'X', 187}));
  EXPECT_EQ(dec("^->"), "^->");  // the caret is plain in backslash mode
}

TEST(DecodeEscapes, CaretNotation) {
  const auto dec = [](std::string_view t) { return DecodeEscapes(t, TEscapeMode::kCaret); };
  EXPECT_EQ(dec("^Ga"), Bytes({140}));
  EXPECT_EQ(dec("^141X"), Bytes({141, 'X'}));
  EXPECT_EQ(dec("^^^"), "^^");
  EXPECT_EQ(dec("\\->"), "\\->");
}

TEST(EncodeEscapes, SpecimenSpellings) {
  const auto bs = [](std::string_view c) { return EncodeEscapes(c, TEscapeMode::kBackslash); };
  const auto ct = [](std::string_view c) { return EncodeEscapes(c, TEscapeMode::kCaret); };
  EXPECT_EQ(bs(Bytes({141})), "\\->");
  EXPECT_EQ(ct(Bytes({141})), "^141");
  EXPECT_EQ(ct("/"), "^047");
  EXPECT_EQ(ct(Bytes({140})), "^Ga");
  EXPECT_EQ(bs("a\\b"), "a\\\\b");
  EXPECT_EQ(bs(Bytes({9, 160})), "\\009\\160");
  EXPECT_EQ(ct("A^B"), "A^094B");
}

// What Linux and Windows both accept as one file name.
bool IsPortableFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  for (unsigned char c : name)
    if (c < 32 || c > 126 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
  std::string stem = name.substr(0, name.find('.'));
  std::transform(stem.begin(), stem.end(), stem.begin(), [](unsigned char c) { return std::toupper(c); });
  for (std::string_view r : {"CON", "PRN", "AUX", "NUL"})
    if (stem == r) return false;
  if (stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && std::isdigit(static_cast<unsigned char>(stem[3])))
    return false;
  return true;
}

TEST(EncodeEscapes, CaretNamesAreLegalFileNamesAndReadBackUnchanged) {
  std::vector<std::string> names;
  for (int a = 1; a < 256; ++a) {
    names.push_back(Bytes({a}));
    for (int b = 1; b < 256; ++b) names.push_back(Bytes({a, b}));
  }
  for (std::string_view n : {"CON", "con", "Nul.zq", "COM1", "lpt9", "AUX.txt", "A.", "..", "X ", "CONX", "COM10"})
    names.emplace_back(n);
  for (const std::string& name : names) {
    const std::string file = EncodeEscapes(name, TEscapeMode::kCaret);
    ASSERT_TRUE(IsPortableFileName(file)) << file;
    ASSERT_EQ(DecodeEscapes(file, TEscapeMode::kCaret), name) << file;
  }
  EXPECT_EQ(EncodeEscapes("CON", TEscapeMode::kCaret), "CO^078");
  EXPECT_EQ(EncodeEscapes("CONX", TEscapeMode::kCaret), "CONX");
  EXPECT_EQ(EncodeEscapes("..", TEscapeMode::kCaret), ".^046");
}

TEST(EncodeEscapes, BackslashNamesReadBackUnchanged) {
  for (int a = 1; a < 256; ++a)
    for (int b = 1; b < 256; ++b) {
      if (b == '\\') continue;  // a trailing lone escape is copied as it is
      const std::string name = Bytes({a, b, 'Z'}).substr(0, 2);
      ASSERT_EQ(DecodeEscapes(EncodeEscapes(name, TEscapeMode::kBackslash), TEscapeMode::kBackslash), name)
          << a << " " << b;
    }
}

}  // namespace
}  // namespace bridgit

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <tuple>

#include "calcdata/digraphs.h"
#include "calcdata/escapes.h"
#include "support/patterned_bytes.h"

namespace bridgit {
namespace {

using test::Bytes;

struct TPair {
  int code;
  const char* digraph;
  bool caret;  // may also be written in caret notation
};

// The published digraph table, row by row.
constexpr TPair kPairs[] = {
    {128, "<)", false}, {129, "x-", true},  {130, ".V", true},  {131, "v/", false}, {132, ".S", true},
    {133, "GS", true},  {134, "|>", false}, {135, "pi", true},  {136, ".d", true},  {137, "<=", false},
    {138, ">=", false}, {139, "=/", false}, {140, "Ga", true},  {141, "->", false}, {142, "<-", false},
    {143, "|v", false}, {144, "|^", false}, {145, "Gg", true},  {146, "Gd", true},  {147, "Ge", true},
    {148, "Gn", true},  {149, "Gh", true},  {150, "Gl", true},  {151, "Gr", true},  {152, "Gs", true},
    {153, "Gt", true},  {154, "Gw", true},  {155, "GD", true},  {156, "PI", true},  {157, "GW", true},
    {158, "[]", true},  {159, "oo", true},  {171, "<<", false}, {176, "^o", true},  {181, "Gm", true},
    {187, ">>", false}, {215, ".x", true},  {216, "0/", false}, {223, "Gb", true},  {247, ":-", false},
};

TEST(Digraphs, EveryPairOfThePublishedTable) {
  ASSERT_EQ(kDigraphCount, 40);
  for (std::size_t row = 0; row < std::size(kPairs); ++row) {
    const TPair& want = kPairs[row];
    SCOPED_TRACE(want.digraph);
    // The table is read through its look-ups and both notations.
    EXPECT_EQ(DigraphCode(static_cast<unsigned char>(want.digraph[0]), static_cast<unsigned char>(want.digraph[1])),
              want.code);
    ASSERT_NE(DigraphOf(static_cast<unsigned char>(want.code)), nullptr);
    EXPECT_EQ(DigraphOf(static_cast<unsigned char>(want.code))->code, want.code);
    // Both notations spell the character so, caret notation only where allowed.
    const std::string c(1, static_cast<char>(want.code));
    EXPECT_EQ(EncodeEscapes(c, TEscapeMode::kBackslash), std::string("\\") + want.digraph);
    EXPECT_EQ(DecodeEscapes(std::string("\\") + want.digraph, TEscapeMode::kBackslash), c);
    EXPECT_EQ(EncodeEscapes(c, TEscapeMode::kCaret),
              want.caret ? std::string("^") + want.digraph : "^" + std::to_string(want.code));
  }
  // Codes without a digraph.
  for (int code : {127, 160, 170, 255}) {
    EXPECT_EQ(DigraphOf(static_cast<unsigned char>(code)), nullptr) << code;
    EXPECT_EQ(EncodeEscapes(std::string(1, static_cast<char>(code)), TEscapeMode::kBackslash), "\\" + std::to_string(code));
  }
  EXPECT_EQ(DigraphCode('a', 'b'), 0);
  EXPECT_EQ(DecimalText(7), "007");
  EXPECT_EQ(DecimalText(255), "255");
}

TEST(Escapes, SpecimenSpellings) {
  using enum TEscapeMode;
  using TCases = std::vector<std::tuple<TEscapeMode, std::string, std::string>>;
  // Mode, text, the characters it stands for.
  const TCases decoded = {
      {kBackslash, "\\->", Bytes({141})}, {kBackslash, "\\255", Bytes({255})}, {kBackslash, "\\300", ","},
      {kBackslash, "\\qz", "qz"},        {kBackslash, "\\000", "000"},       {kBackslash, "\\\\a", "\\a"},
      // One character after the escape: unchanged.
      {kBackslash, "a\\x", "a\\x"}, {kBackslash, "\\\\", "\\\\"}, {kBackslash, "\\<<X\\>>", Bytes({171, 'X', 187})},
      {kBackslash, "^->", "^->"}, {kCaret, "^Ga", Bytes({140})}, {kCaret, "^141X", Bytes({141, 'X'})}, {kCaret, "^^^", "^^"},
      {kCaret, "\\->", "\\->"}};
  for (const auto& [mode, text, characters] : decoded) EXPECT_EQ(DecodeEscapes(text, mode), characters) << text;
  // Two digits end the text: what lies beyond it in memory is not read.
  EXPECT_EQ(DecodeEscapes(std::string_view("\\123").substr(0, 3), kBackslash), "12");
  const TCases encoded = {{kBackslash, "\\->", Bytes({141})}, {kCaret, "^141", Bytes({141})}, {kCaret, "^047", "/"},
                          {kCaret, "^Ga", Bytes({140})},      {kBackslash, "a\\\\b", "a\\b"},
                          {kBackslash, "\\009\\160", Bytes({9, 160})}, {kCaret, "A^094B", "A^B"}};
  for (const auto& [mode, text, characters] : encoded) EXPECT_EQ(EncodeEscapes(characters, mode), text) << text;
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

}  // namespace
}  // namespace bridgit

#include <gtest/gtest.h>

#include "calcdata/text_translate.h"
#include "support/patterned_bytes.h"

namespace bridgit {
namespace {

using test::Bytes;

TEST(CalcTextToPC, LevelsControlCodesStringsAndLineEnds) {
  const std::string text = Bytes({171, 'A', 141, 160, 'B'});
  EXPECT_EQ(CalcTextToPC(text, {.level = 2}), Bytes({171}) + "A\\->" + Bytes({160}) + "B");
  EXPECT_EQ(CalcTextToPC(text, {.level = 3}), "\\<<A\\->\\160B");
  EXPECT_EQ(CalcTextToPC(text, {.level = 1}), text);
  EXPECT_EQ(CalcTextToPC(text, {.level = 0}), text);
  // Control codes, strings and line ends.
  EXPECT_EQ(CalcTextToPC("a\tb\nc\x7f", {.level = 3, .translateControl = true}), "a\\009b\nc\\127");
  EXPECT_EQ(CalcTextToPC("a\tb", {.level = 3}), "a\tb");
  EXPECT_EQ(CalcTextToPC("say \"hi\" \\", {.level = 3, .isString = true}), "say \\\"hi\\\" \\\\");
  EXPECT_EQ(CalcTextToPC("a\nb\n", {.level = 3, .addCR = true}), "a\r\nb\r\n");
  EXPECT_EQ(CalcTextToPC("", {}), "");
}

TEST(PCTextToCalc, LineEndsTrailingBlanksEscapesAndQuoteMode) {
  EXPECT_EQ(PCTextToCalc("a\r\nb \r\n\t \r\n", false), "a\nb");
  EXPECT_EQ(PCTextToCalc("\\<< 1 \\-> x \\>>", false), Bytes({171}) + " 1 " + Bytes({141}) + " x " + Bytes({187}));
  EXPECT_EQ(PCTextToCalc("\\000\\065", false), Bytes({0, 'A'}));
  EXPECT_EQ(PCTextToCalc("\\q \\\\", false), "\\q \\\\");
  EXPECT_EQ(PCTextToCalc("", true), "");
  // Quote mode keeps the literal closed.
  EXPECT_EQ(PCTextToCalc("say \"hi\"", true), "say \\\"hi\\\"");
  EXPECT_EQ(PCTextToCalc("\\q", true), "\\\\q");
  EXPECT_EQ(PCTextToCalc("a\\\\b", true), "a\\\\\\\\b");
  EXPECT_EQ(PCTextToCalc("\\->", true), Bytes({141}));
  // Characters that would end the literal early, however they are written.
  EXPECT_EQ(PCTextToCalc("x\\034 'A' PURGE", true), "x\\\" 'A' PURGE");
  EXPECT_EQ(PCTextToCalc("x\\092", true), "x\\\\");
  EXPECT_EQ(PCTextToCalc("end\\", true), "end\\\\");
  EXPECT_EQ(PCTextToCalc("a\r\\\"b", true), "a\\\\\\\"b");
}

// A quote-mode result, read as the calculator reads a string literal, gives
// back the raw (quote-less) result: the literal never ends early.
std::string ReadLiteral(std::string_view lit, bool& closedEarly) {
  std::string out;
  closedEarly = false;
  for (std::size_t i = 0; i < lit.size(); ++i) {
    if (lit[i] == '"') {
      closedEarly = true;
      return out;
    }
    if (lit[i] == '\\' && i + 1 < lit.size() && (lit[i + 1] == '"' || lit[i + 1] == '\\')) ++i;
    out += lit[i];
  }
  return out;
}

TEST(PCTextToCalc, QuoteModeNeverEndsTheLiteralEarly) {
  const std::string_view pieces[] = {"\\", "\"", "\\034", "\\092", "\r", "\n", "a", "\\\\", "\\->", "\\q"};
  std::size_t n = std::size(pieces);
  for (std::size_t i = 0; i < n * n * n; ++i) {
    const std::string text = std::string(pieces[i % n]) + std::string(pieces[i / n % n]) +
                             std::string(pieces[i / n / n]) + "z";
    bool early = false;
    ReadLiteral(PCTextToCalc(text, true), early);
    EXPECT_FALSE(early) << text;
  }
}

}  // namespace
}  // namespace bridgit

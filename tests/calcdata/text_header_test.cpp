#include <gtest/gtest.h>

#include "calcdata/text_header.h"

namespace bridgit {
namespace {

TEST(TextHeader, RecognisedAndSplit) {
  EXPECT_TRUE(StartsAsTextFile("%%ZQ: T(3)A(D)F(.);"));
  EXPECT_TRUE(StartsAsTextFile("%ZQZQ: anything"));
  EXPECT_FALSE(StartsAsTextFile("ZQZQ73-C"));

  // Split: the modes read, the line end skipped.
  const TTextFile f = SplitTextFile("%%ZQ: T(3)A(R)F(,);\r\n\r\n  \\<< 1 \\>>\n");
  EXPECT_TRUE(f.hasHeader);
  EXPECT_EQ(f.angle, 'R');
  EXPECT_EQ(f.body, "\\<< 1 \\>>\n");

  const TTextFile onlyHeader = SplitTextFile("%%ZQ: T(3)A(D)F(.);\n");
  EXPECT_TRUE(onlyHeader.hasHeader);
  EXPECT_TRUE(onlyHeader.body.empty());
}

TEST(TextHeader, SemicolonAtPosition21IsAHeaderAt22NotOne) {
  const std::string at21 = std::string(20, 'x') + ";Xbody";
  const std::string at22 = std::string(21, 'x') + ";Xbody";
  EXPECT_TRUE(SplitTextFile(at21).hasHeader);
  EXPECT_EQ(SplitTextFile(at21).body, "body");
  EXPECT_FALSE(SplitTextFile(at22).hasHeader);
  EXPECT_EQ(SplitTextFile(at22).body, at22);
  // Modes count only below position 21.
  const TTextFile late = SplitTextFile(std::string(18, ' ') + "A(R;");
  EXPECT_FALSE(late.angle.has_value());
  const TTextFile early = SplitTextFile(std::string(17, ' ') + "A(R;");
  EXPECT_EQ(early.angle, 'R');
}

}  // namespace
}  // namespace bridgit

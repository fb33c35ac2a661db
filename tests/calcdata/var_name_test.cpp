#include <gtest/gtest.h>

#include "calcdata/var_name.h"
#include "support/scripted_prompts.h"

namespace bridgit {
namespace {

TEST(CheckVarName, ProperNamesPassWithoutAQuestion) {
  test::TScriptedPrompts host;
  for (std::string_view n : {"A1", "\\GaB", "", "HOMEWORK", "x\\->y"}) {
    // "\->" is the arrow, which names may hold
    EXPECT_TRUE(CheckVarName(n, host)) << n;
  }
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(host.beeps, 0);
}

TEST(CheckVarName, ImproperNamesAskAndFollowTheAnswer) {
  for (std::string_view n : {"0A", "9A", "A B", "X_Y", "\\<<A", "a+b", "v\\v/", "\\.S1"}) {
    test::TScriptedPrompts host;
    host.Answer(false);
    EXPECT_FALSE(CheckVarName(n, host)) << n;
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0].caption, "Improper Variable Name");
    EXPECT_EQ(host.beeps, 1);
  }
  test::TScriptedPrompts host;
  host.Answer(true);
  EXPECT_TRUE(CheckVarName("\\->X Y", host));
  ASSERT_EQ(host.questions.size(), 1u);
  EXPECT_EQ(host.questions[0].text,
            "\\->X Y\r\nis an improper variable name on the calculator.\r\n"
            "This may result in failure of the command or connection.\r\n\r\n"
            "Continue with the command?");
}

}  // namespace
}  // namespace bridgit

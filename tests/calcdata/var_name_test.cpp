#include <gtest/gtest.h>

#include "calcdata/var_name.h"
#include "support/scripted_prompts.h"

namespace bridgit {
namespace {

TEST(CheckVarName, ProperNamesPassImproperOnesAskAndFollowTheAnswer) {
  test::TScriptedPrompts host;
  for (std::string_view n : {"A1", "\\GaB", "", "HOMEWORK", "x\\->y"}) {
    // "\->" is the arrow, which names may hold
    EXPECT_TRUE(CheckVarName(n, host)) << n;
  }
  EXPECT_TRUE(host.questions.empty());
  EXPECT_EQ(host.beeps, 0);
  // Improper names ask, and the answer is followed.
  for (std::string_view n : {"0A", "9A", "A B", "X_Y", "\\<<A", "a+b", "v\\v/", "\\.S1"}) {
    test::TScriptedPrompts asked;
    asked.Answer(false);
    EXPECT_FALSE(CheckVarName(n, asked)) << n;
    ASSERT_EQ(asked.questions.size(), 1u);
    EXPECT_EQ(asked.questions[0].caption, "Improper Variable Name");
    EXPECT_EQ(asked.beeps, 1);
  }
  test::TScriptedPrompts yes;
  yes.Answer(true);
  EXPECT_TRUE(CheckVarName("\\->X Y", yes));
  ASSERT_EQ(yes.questions.size(), 1u);
  EXPECT_EQ(yes.questions[0].text,
            "\\->X Y\r\nis an improper variable name on the calculator.\r\n"
            "This may result in failure of the command or connection.\r\n\r\n"
            "Continue with the command?");
}

}  // namespace
}  // namespace bridgit

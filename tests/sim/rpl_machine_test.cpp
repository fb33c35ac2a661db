// The simulator's calculator language: its stack, errors and commands. The
// texts Bridgit sends are run through it by the end-to-end tests.
#include <gtest/gtest.h>

#include <set>

#include "calcdata/object_header.h"
#include "calcdata/object_walk.h"
#include "sim/calc_memory.h"
#include "sim/demo_memory.h"
#include "sim/rpl_commands.h"
#include "sim/rpl_machine.h"

namespace bridgit::sim {
namespace {

const std::string kOpen = "\xAB";

class Rpl : public ::testing::Test {
 protected:
  void SetUp() override { LoadDemoMemory(memory); }
  void Run(const std::string& text) { EXPECT_TRUE(rpl.Execute(text)) << text << ": " << rpl.LastError(); }
  TCalcMemory memory;
  TRplMachine rpl{memory, {"73", "73", "2.15", 9600}};
};

TEST_F(Rpl, Arithmetic_StackAndVariables) {
  Run("1 2 + 3 *");
  EXPECT_EQ(Decompile(rpl.Stack().back()), "9.");
  Run("\"ab\" \"cd\" + 'S' STO S 'S' RCL SWAP DROP");
  EXPECT_EQ(Decompile(rpl.Stack().back()), "\"abcd\"");
  Run("CLEAR 1 2 3 ROT DEPTH");
  EXPECT_EQ(Decompile(rpl.Stack().back()), "3.");
  rpl.Execute("FOO BAR +");
  EXPECT_NE(rpl.LastError(), "");  // unknown names pushed, + of two names fails
  // Errors give the arguments back and stay for ERRM and ERRN until ERR0.
  const std::vector<std::pair<std::string, std::string>> errors = {
      {"'NOPE' RCL", "Undefined Name"}, {"CLEAR 1 0 /", "Infinite Result"}, {"CLEAR DROP", "Too Few Arguments"},
      {"CLEAR 1 \"a\" -", "Bad Argument Type"}, {"<99999999999999999999999d>", "Bad Argument Value"},
      {"<xd>", "Invalid Syntax"}, {"<1x2d>", "Invalid Syntax"}, {kOpen + " 1 +", "Invalid Syntax"}};
  for (const auto& [text, error] : errors) {
    EXPECT_FALSE(rpl.Execute(text));
    EXPECT_EQ(rpl.LastError(), error) << text;
  }
  EXPECT_EQ(rpl.Stack().size(), 2u) << "the arguments are given back";
  Run("CLEAR ERRM ERRN 1 0 IFERR / THEN ERRM END ERR0 ERRM");
  std::vector<std::string> stack;
  for (const TObj& o : rpl.Stack()) stack.push_back(Decompile(o));
  EXPECT_EQ(stack, (std::vector<std::string>{"\"Invalid Syntax\"", "# 106h", "1.", "0.", "\"Infinite Result\"", "\"\""}));
}

// A name the compiler knows but nothing runs would be a syntax error on use.
TEST(RplCommands, EveryCommandOutsideAStructureRuns) {
  const std::set<std::string> structure = {"IF", "IFERR", "THEN", "ELSE", "END"};
  for (const std::string& name : CommandNames())
    if (!structure.contains(name)) {
      EXPECT_NE(Commands().At(CommandId(name)), nullptr) << name;
    }
}

TEST_F(Rpl, TheMemorysObjectsAndFoldersSurviveTheirBinaryForm) {
  const TObj home = memory.Home().ToObject();
  // The directory object walks to its exact length, as the PC trims it.
  std::string file = MakeObjectHeader(kFamily73) + ToBytes(home) + std::string(77, '\x1A');
  ASSERT_TRUE(TrimObject(file).success);
  EXPECT_EQ(FromBytes(file.substr(8)).substr(0, home.size()), home);
  auto copy = TDir::FromObject(home);
  EXPECT_EQ(copy->ToObject(), home);
  for (const double v : {0.0, 1.0, -1.5, 6.28318530718, 1e-7, 123456789012.0, -0.001})
    EXPECT_DOUBLE_EQ(RealValue(MakeReal(v)), v);
  EXPECT_EQ(FormatReal(1e-7, false), "1.E-7");
  EXPECT_EQ(FormatReal(2.5, true), "2,5");
}

}  // namespace
}  // namespace bridgit::sim

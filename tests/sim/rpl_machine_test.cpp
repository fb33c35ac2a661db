// The simulator's calculator language against every text that Bridgit sends.
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

const std::string kArrow = "\x8D";
const std::string kOpen = "\xAB";
const std::string kClose = "\xBB";

class Rpl : public ::testing::Test {
 protected:
  void SetUp() override { LoadDemoMemory(memory); }
  std::string Text(const std::string& name) {
    TVar* v = memory.Current().Find(name);
    return v ? Decompile(v->object) : "<none>";
  }
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
  ASSERT_EQ(rpl.Stack().size(), 6u);
  EXPECT_EQ(Decompile(rpl.Stack()[0]), "\"Invalid Syntax\"");
  EXPECT_EQ(Decompile(rpl.Stack()[1]), "# 106h");
  EXPECT_EQ(Decompile(rpl.Stack()[4]), "\"Infinite Result\"");
  EXPECT_EQ(Decompile(rpl.Stack()[5]), "\"\"");
}

TEST_F(Rpl, InlineTextPutCompilesWithTheHeaderModesAndReplaces) {
  const std::string error = "#26067h SYSEVAL CLLCD \"Syntax Error\" 4 DISP 5 WAIT ";
  const auto put = [&](const std::string& name, const std::string& modes, const std::string& body) {
    return "'" + name + "' RCLF " + modes + "-55 CF " + body + "IFERR OBJ" + kArrow + " THEN SWAP STOF " + error +
           "ELSE SWAP STOF OVER IFERR PURGE THEN PGDIR END SWAP STO END ";
  };
  Run(put("NEW", "RAD -51 CF ", "\"" + kOpen + " 1 2 + " + kClose + "\" "));
  EXPECT_EQ(Text("NEW"), kOpen + " 1. 2. + " + kClose);
  EXPECT_FALSE(memory.Flag(-17)) << "flags restored after the put";
  Run(put("A", "", R"("\"\\\"quoted\\\" text\"" )"));  // a string put replaces the real A
  EXPECT_EQ(StringValue(memory.Current().Find("A")->object), "\"quoted\" text");
  Run(put("WORK", "", "\"5\" "));  // a folder of that name goes
  EXPECT_EQ(Text("WORK"), "5.");
  Run(put("BAD", "", "\"" + kOpen + " 1 \" "));  // does not compile: nothing stored
  EXPECT_EQ(Text("BAD"), "<none>");
  EXPECT_EQ(rpl.Display()[3], "Syntax Error");
}

TEST_F(Rpl, PurgeFoldersAndRename) {
  Run("'A' PURGE 'NOPE' PURGE 'D1' CRDIR 'D1' 'D2' CRDIR");
  EXPECT_EQ(Text("A"), "<none>");
  Run("'D2' DUP RCL SWAP PGDIR 'D3' STO ");
  EXPECT_EQ(memory.Current().Find("D2"), nullptr);
  ASSERT_NE(memory.Current().Find("D3"), nullptr);
  EXPECT_TRUE(memory.Current().Find("D3")->IsDir());
  Run("'LST' DUP RCL SWAP PURGE 'L2' STO ");
  EXPECT_EQ(Text("L2"), "{ 1. 2. \"three\" }");
  rpl.Execute("'WORK' PURGE");
  EXPECT_EQ(rpl.LastError(), "Non-Empty Directory");
  Run("'WORK' PGDIR");
  EXPECT_EQ(memory.Current().Find("WORK"), nullptr);
}

TEST_F(Rpl, DirectoriesByPath) {
  Run("HOME WORK DEEP");
  EXPECT_EQ(memory.Path(), (std::vector<std::string>{"HOME", "WORK", "DEEP"}));
  Run("'Y' 7 SWAP STO HOME");
  EXPECT_EQ(memory.Path(), (std::vector<std::string>{"HOME"}));
  Run("WORK DEEP 'Y' RCL");
  EXPECT_EQ(Decompile(rpl.Stack().back()), "7.");
  Run("'Y' VTYPE 'WORK' VTYPE 'NOPE' VTYPE 3 " + kArrow + "LIST");  // WORK found as evaluating it finds it
  EXPECT_EQ(Decompile(rpl.Stack().back()), "{ 0. 15. -1. }");
}

TEST_F(Rpl, BackupPreparationArchiveAndRestore) {
  bool archived = false;
  rpl.onArchive = [&] { archived = true; };
  memory.Store("$$$r", rpl.Compile(kOpen + " ARCHIVESEND " + kClose).at(0));
  Run("'fLaG' PURGE '$$$r' DUP RCL SWAP PURGE HOME \" " + kOpen + " 'fLaG' PURGE \" RCLF DUP 64 STWS " + kArrow +
      "STR SWAP STOF + \" STOF " + kClose + "\" + STR" + kArrow + " 'fLaG' STO RCLF -55 SF SWAP MEM DROP NEWOB ");
  EXPECT_EQ(Text("$$$r"), "<none>");
  EXPECT_EQ(Text("fLaG"), kOpen + " 'fLaG' PURGE { # 0h # 0h } STOF " + kClose);
  Run("EVAL STOF");
  EXPECT_TRUE(archived);
  EXPECT_FALSE(memory.Flag(-55));

  const TObj backup = memory.Backup();
  const std::string before = memory.Dump();
  Run("'A' PURGE 'WORK' PGDIR");
  bool left = false;
  rpl.onRestore = [&] { left = true; };
  memory.Store("$$$t", backup);
  Run("$$$t '$$$t' PURGE RESTORE");
  EXPECT_TRUE(left);
  EXPECT_EQ(memory.Dump(), before);
}

// A name the compiler knows but nothing runs would be a syntax error on use.
TEST(RplCommands, EveryCommandOutsideAStructureRuns) {
  const std::set<std::string> structure = {"IF", "IFERR", "THEN", "ELSE", "END"};
  for (const std::string& name : CommandNames())
    if (!structure.contains(name)) {
      EXPECT_NE(Commands().At(CommandId(name)), nullptr) << name;
    }
}

TEST(CalcMemory, ObjectsAndFoldersSurviveTheirBinaryForm) {
  TCalcMemory memory;
  LoadDemoMemory(memory);
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

// pull and push: the planning rules on their own, then bridgit-cli as a
// process against bridgit-calcsim, with changes made on the calculator behind
// the mirror's back by other bridgit-cli commands.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "mirror/batch.h"
#include "mirror/plan.h"
#include "mirror/state.h"
#include "support/calcsim_process.h"
#include "support/object_builder.h"

namespace bridgit {
namespace {

namespace fs = std::filesystem;
using namespace mirror;

// --- The rules, with the state and both sides written out by hand.

TSideEntry Obj(const std::string& sig, const std::string& file = "") { return {.folder = false, .sig = sig, .file = file}; }

TState StateWith(const std::string& key, const std::string& calcSig, const std::string& pcHash) {
  TState s;
  s.entries[key] = {.folder = false, .file = key + ".txt", .calcSig = calcSig, .pcHash = pcHash};
  return s;
}

TAction Only(TDirection d, const TState& state, const TSide& calc, const TSide& pc, TPlanOptions o = {}) {
  const auto steps = MakePlan(d, state, calc, pc, o);
  EXPECT_EQ(steps.size(), 1u);
  return steps.empty() ? TAction::kNone : steps[0].action;
}

TEST(MirrorPlan, OnlyWhatChangedOnTheSourceMovesAndDeletionsOnlyWhenAsked) {
  const TState st = StateWith("P", "c1", "h1");
  using enum TAction;
  EXPECT_EQ(Only(TDirection::kPull, st, {{"P", Obj("c1")}}, {{"P", Obj("h1")}}), kNone);
  EXPECT_EQ(Only(TDirection::kPull, st, {{"P", Obj("c2")}}, {{"P", Obj("h1")}}), kCopy);
  EXPECT_EQ(Only(TDirection::kPush, st, {{"P", Obj("c2")}}, {{"P", Obj("h1")}}), kTargetChanged);
  EXPECT_EQ(Only(TDirection::kPush, st, {{"P", Obj("c1")}}, {{"P", Obj("h2")}}), kCopy);
  EXPECT_EQ(Only(TDirection::kPull, st, {{"P", Obj("c1")}}, {{"P", Obj("h2")}}), kTargetChanged);
  // Changed on both sides: compared by content before it is a conflict.
  EXPECT_EQ(Only(TDirection::kPull, st, {{"P", Obj("c2")}}, {{"P", Obj("h2")}}), kCompare);
  EXPECT_EQ(Only(TDirection::kPush, {}, {{"P", Obj("c2")}}, {{"P", Obj("h2")}}), kCompare);
  EXPECT_EQ(Only(TDirection::kPull, {}, {{"P", Obj("c2")}}, {}), kCopy);
  EXPECT_EQ(Only(TDirection::kPull, {}, {}, {{"P", Obj("h2")}}), kTargetChanged);
  // Deletions are listed, and made only when asked.
  EXPECT_EQ(Only(TDirection::kPull, st, {}, {{"P", Obj("h1")}}), kRemovedSource);
  EXPECT_EQ(Only(TDirection::kPull, st, {}, {{"P", Obj("h1")}}, {.remove = true}), kRemove);
  EXPECT_EQ(Only(TDirection::kPull, st, {{"P", Obj("c1")}}, {}, {.remove = true}), kRemovedTarget);
  EXPECT_EQ(Only(TDirection::kPush, st, {{"P", Obj("c1")}}, {}, {.remove = true}), kRemove);
  // A calculator cleared: push --force-pc sends what it lost again.
  EXPECT_EQ(Only(TDirection::kPush, st, {}, {{"P", Obj("h1")}}), kRemovedTarget);
  EXPECT_EQ(Only(TDirection::kPush, st, {}, {{"P", Obj("h1")}}, {.forceSource = true}), kCopy);
  TState folder;
  folder.entries["W"] = FolderState();
  EXPECT_EQ(Only(TDirection::kPush, folder, {}, {{"W", FolderSide()}}, {.forceSource = true}), kMakeFolder);
  // Deleted on one side and changed on the other: nothing goes unasked.
  EXPECT_EQ(Only(TDirection::kPull, st, {}, {{"P", Obj("h2")}}, {.remove = true}), kConflict);
  EXPECT_EQ(Only(TDirection::kPull, st, {{"P", Obj("c2")}}, {}), kConflict);
  EXPECT_EQ(Only(TDirection::kPull, st, {{"P", Obj("c2")}}, {}, {.forceSource = true}), kCopy);
  EXPECT_EQ(Only(TDirection::kPull, st, {{"P", Obj("c2")}}, {}, {.forceTarget = true}), kKeepTarget);
  EXPECT_EQ(Only(TDirection::kPull, st, {}, {}), kForget);
  EXPECT_EQ(DecideCompared(false, {}), kConflict);
  EXPECT_EQ(DecideCompared(true, {}), kNone);
  EXPECT_EQ(DecideCompared(false, {.forceSource = true}), kCopy);
}

TEST(MirrorPlan, FoldersComeBeforeWhatTheyHold) {
  const TSide calc = {{"W/X/Y", Obj("c")}, {"W/X", FolderSide()}, {"W", FolderSide()}};
  std::vector<std::pair<std::string, TAction>> steps;
  for (const auto& step : MakePlan(TDirection::kPull, {}, calc, {}, {})) steps.emplace_back(step.key, step.action);
  EXPECT_EQ(steps, (std::vector<std::pair<std::string, TAction>>{
                       {"W", TAction::kMakeFolder}, {"W/X", TAction::kMakeFolder}, {"W/X/Y", TAction::kCopy}}));
}

TEST(MirrorState, RoundTripsAndRefusesOtherText) {
  TState s = StateWith("A b/^141X", "32.21.e4", "00ff");
  s.folder = "HOME/WORK";
  s.entries["A b"] = FolderState();
  EXPECT_EQ(FormatState(s), "bridgit mirror 1\nfolder\tHOME/WORK\nd\tA b\no\tA b/^141X\tA b/^141X.txt\t32.21.e4\t00ff\n");
  const auto back = ParseState(FormatState(s));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, s);
  EXPECT_FALSE(ParseState("some notes\n"));
  EXPECT_FALSE(ParseState("bridgit mirror 1\no\tonly-a-key\n"));
  // FNV-1a 64 of "a", a published value.
  EXPECT_EQ(HashBytes("a"), "af63dc4c8601ec8c");
}

// --- A batch's answer, composed nibble by nibble here: a list of a real
// (21 nibbles, so what follows starts in the middle of a byte) and a string.

using test::ObjectFile, test::PutList, test::PutReal, test::PutString;

TEST(MirrorBatch, ObjectsAreCutOutOfTheListWhereverTheyStart) {
  TNibbleWriter list, real, string;
  PutList(list, [&] { PutReal(list), PutString(list, "odd"); });
  PutReal(real);
  PutString(string, "odd");
  std::vector<std::string> out;
  ASSERT_TRUE(SplitBatch(ObjectFile(list), 2, false, out));
  // 21 nibbles: the last byte's high nibble is 0.
  EXPECT_EQ(out, (std::vector<std::string>{ObjectFile(real), ObjectFile(string)}));
  EXPECT_FALSE(SplitBatch(ObjectFile(list), 3, false, out));
  EXPECT_TRUE(out.empty());
}

// Texts get the flag list in front, as a single text copy does; an empty text
// marks an object without an exact text.
TEST(MirrorBatch, TextsGetTheFlagListInFront) {
  TNibbleWriter answer, one, prog;
  PutList(answer, [&] {
    PutString(answer, "{ 0. 0. 0. 0. }");
    PutList(answer, [&] { PutString(answer, "42."), PutString(answer, ""), PutString(answer, "\\<< DUP * \\>>"); });
  });
  PutString(one, "{ 0. 0. 0. 0. }42.");
  PutString(prog, "{ 0. 0. 0. 0. }\\<< DUP * \\>>");
  std::vector<std::string> out;
  ASSERT_TRUE(SplitBatch(ObjectFile(answer), 3, true, out));
  EXPECT_EQ(out, (std::vector<std::string>{ObjectFile(one), "", ObjectFile(prog)}));
}

// Whatever else the calculator answers is refused, so that the objects are
// fetched one by one instead.
TEST(MirrorBatch, AnythingButABatchIsRefused) {
  TNibbleWriter empty, real, notStrings, open, unknown;
  PutList(empty, [] {});  // the error branch's { }
  PutReal(real);          // not a list
  PutList(notStrings, [&] { PutString(notStrings, "{ }"), PutList(notStrings, [&] { PutReal(notStrings); }); });
  open.Put5(test::Prolog("List"));  // cut short
  PutString(open, "no end");
  PutList(unknown, [&] { unknown.Put5(0x0ABCD); });  // a type no table row knows: its end cannot be known
  std::vector<std::string> out;
  for (const auto* w : {&empty, &real, &open, &unknown}) EXPECT_FALSE(SplitBatch(ObjectFile(*w), 1, false, out));
  EXPECT_FALSE(SplitBatch(ObjectFile(notStrings), 1, true, out));
  EXPECT_FALSE(SplitBatch("ZQZQ", 1, false, out));
  EXPECT_TRUE(out.empty());
}

// --- bridgit-cli against the simulator.

std::set<std::string> FilesUnder(const fs::path& dir) {
  std::set<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files.insert(fs::relative(e.path(), dir).string());
  return files;
}

class Mirror : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(sim.PcPath().empty()); }
  test::TRun Cli(std::vector<std::string> args) { return test::RunProgram(test::CliLine(sim.PcPath(), args), work.path().string()); }
  // The exit code and standard output in one text, so that one check holds both.
  std::string CodeOut(std::vector<std::string> args) {
    const test::TRun r = Cli(std::move(args));
    return std::to_string(r.code) + " " + r.out;
  }
  std::string Dump() { return sim.Control("dump"); }
  std::string File(const std::string& name) { return test::Slurp(work / name); }
  void Write(const std::string& name, const std::string& text) {
    fs::create_directories(fs::path(work / name).parent_path());
    std::ofstream(work / name, std::ios::binary) << text;
  }
  test::TCalcSim sim{{"--model", "71GII", "--speed", "115200"}};
  test::TTempDir work;
};

const std::set<std::string> kDemoFiles = {".bridgit-mirror", "A.txt",    "BINT.zq",   "EXPR.txt",        "GREETING.txt",
                                          "LST.txt",         "MASK.zq",  "PI2.txt",   "PIC.zq",          "PROG.txt",
                                          "^141SPEED.txt",   "WORK/NOTE.txt", "WORK/DEEP/Z.txt"};

TEST_F(Mirror, AFirstPullWritesTheDemoMemoryAndASecondMovesNothing) {
  test::TRun r = Cli({"pull", "m", "--json"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(FilesUnder(work / "m"), kDemoFiles);
  EXPECT_EQ(File("m/PROG.txt"), "%%ZQ: T(3)A(D)F(.);\n\\<< DUP * \\>>\n");
  EXPECT_EQ(File("m/WORK/NOTE.txt"), "%%ZQ: T(3)A(D)F(.);\n\"inside WORK\"\n");
  EXPECT_EQ(r.err, "");  // no progress where nobody watches
  EXPECT_EQ(r.out.substr(0, 59), "{\"command\": \"pull\", \"dry_run\": false, \"fetched\": [\"A.txt\", ") << r.out;
  EXPECT_NE(r.out.find("\"^141SPEED.txt\"], \"sent\": [], \"deleted\": [], \"created\": [\"WORK/\", \"WORK/DEEP/\"], "
                       "\"conflicts\": [], \"skipped\": []}\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(CodeOut({"--log", work / "again.log", "pull", "m"}), "0 ");
  // The tree's command and its answer, after the connection's last exchange
  // (a pulse's M letters are none).
  const std::string log = File("again.log");
  std::size_t exchanges = 0;
  for (std::size_t at = log.find("'$$$t' PURGE"); (at = log.find("send command = ", at)) != std::string::npos; ++at)
    exchanges += log[at + 15] != 'M';
  EXPECT_EQ(exchanges, 2u) << log;
  EXPECT_EQ(CodeOut({"push", "m"}), "0 ");

  // A program edited on the PC is pushed and listed.
  Write("m/PROG.txt", "%%ZQ: T(3)A(D)F(.);\n\\<< DUP DUP * * \\>>\n");
  Write("m/NOHDR.txt", "1 2 +\n");  // the run skips it: so does the dry run
  r = Cli({"push", "m", "-n"});
  EXPECT_EQ(r.out, "would send PROG.txt\n");
  EXPECT_NE(r.err.find("NOHDR.txt lacks the header line"), std::string::npos) << r.err;
  fs::remove(work / "m/NOHDR.txt");
  EXPECT_NE(Dump().find("HOME/PROG RPL 10 \\<< DUP * \\>>"), std::string::npos);
  EXPECT_EQ(CodeOut({"push", "m"}), "0 sent PROG.txt\n");
  EXPECT_NE(Dump().find("HOME/PROG RPL 15 \\<< DUP DUP * * \\>>"), std::string::npos) << Dump();
  EXPECT_NE(Cli({"ls"}).out.find("PROG\tRPL\t15\n"), std::string::npos);
  // The calculator's own spelling does not come back over the PC's.
  EXPECT_EQ(CodeOut({"pull", "m"}), "0 ");
  EXPECT_EQ(CodeOut({"push", "m"}), "0 ");

  // The small objects of a folder come in one transfer per form, and each file
  // is byte for byte what a get of that one object writes.
  r = Cli({"--log", work / "pull.log", "pull", "s"});
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string pulled = File("pull.log");
  std::size_t transfers = 0;
  for (std::size_t at = 0; (at = pulled.find("Status = Copying", at)) != std::string::npos; ++at) ++transfers;
  // The model's question, the tree, HOME's texts and binaries, and the
  // two folders of one object each.
  EXPECT_EQ(transfers, 6u) << pulled;
  for (const char* name : {"A", "GREETING", "LST", "PROG", "PI2"}) {
    ASSERT_EQ(Cli({"get", name, "--text", "-o", "one.txt"}).code, 0);
    EXPECT_EQ(File(std::string("s/") + name + ".txt"), File("one.txt")) << name;
  }
  for (const char* name : {"BINT", "MASK", "PIC"}) {
    ASSERT_EQ(Cli({"get", name, "-o", "one.zq"}).code, 0);
    EXPECT_EQ(File(std::string("s/") + name + ".zq"), File("one.zq")) << name;
  }
  EXPECT_EQ(Dump().find("$$$"), std::string::npos) << Dump();

  // Pushed into an empty calculator, every object arrives as it was: the text
  // form is used only for types whose text compiles back exactly.
  fs::remove(work / "s/.bridgit-mirror");
  test::TTempDir empty;
  test::TCalcSim other{{"--model", "71GII", "--speed", "115200", "--memory", empty.path().string()}};
  r = test::RunProgram(test::CliLine(other.PcPath(), {"push", "s"}), work.path().string());
  ASSERT_EQ(r.code, 0) << r.err;
  std::set<std::string> before, after;
  std::istringstream a(Dump()), b(other.Control("dump"));
  for (std::string line; std::getline(a, line);) before.insert(line);
  for (std::string line; std::getline(b, line);) after.insert(line);
  EXPECT_EQ(before, after);
}

TEST_F(Mirror, ASameSizeEditConflictsAndDeletions) {
  ASSERT_EQ(Cli({"pull", "m"}).code, 0);
  ASSERT_EQ(Cli({"exec", "HOME WORK \"inside WORX\" 'NOTE' STO HOME"}).code, 0);
  EXPECT_EQ(CodeOut({"pull", "m"}), "0 fetched WORK/NOTE.txt\n");
  EXPECT_EQ(File("m/WORK/NOTE.txt"), "%%ZQ: T(3)A(D)F(.);\n\"inside WORX\"\n");

  Write("m/LST.txt", "%%ZQ: T(3)A(D)F(.);\n{ 1 2 }\n");
  ASSERT_EQ(Cli({"exec", "HOME { 7 } 'LST' STO"}).code, 0);
  for (const char* command : {"pull", "push"}) {
    EXPECT_EQ(CodeOut({command, "m"}), "1 conflict: LST.txt changed on both sides (--force-pc or --force-calc decides)\n");
    EXPECT_EQ(File("m/LST.txt"), "%%ZQ: T(3)A(D)F(.);\n{ 1 2 }\n");
    EXPECT_NE(Dump().find(" { 7. }\n"), std::string::npos) << Dump();
  }
  EXPECT_EQ(CodeOut({"push", "m", "--force-pc"}), "0 sent LST.txt\n");
  EXPECT_EQ(sim.DumpLine("LST"), "List 26 { 1. 2. }");
  EXPECT_EQ(CodeOut({"pull", "m"}), "0 ");

  // What the calculator cannot take is named and skipped, the rest goes on,
  // and nothing the calculator refused ever counts as in sync.
  Write("m/My Progs/A.txt", "%%ZQ: T(3)A(D)F(.);\n777.\n");  // two words to the calculator
  Write("m/AA.zq", "");                                           // not an object
  Write("m/PROG.txt", "%%ZQ: T(3)A(D)F(.);\n\\<< DUP DUP *\n"); // does not compile
  Write("m/ZZ.txt", "%%ZQ: T(3)A(D)F(.);\n5.\n");
  test::TRun r = Cli({"push", "m", "--json"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("\"sent\": [\"ZZ.txt\"]"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("{\"file\": \"AA.zq\", \"reason\": \"could not send AA.zq (skipped)\"}"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("My Progs/: not a name the calculator takes"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("could not send AA.zq"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Syntax Error"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("could not send PROG.txt"), std::string::npos) << r.err;
  EXPECT_EQ(sim.DumpLine("A"), "Real 11 42.");  // not overwritten by My Progs/A
  EXPECT_EQ(sim.DumpLine("ZZ"), "Real 11 5.");   // after the failures, still sent
  EXPECT_EQ(sim.DumpLine("PROG"), "RPL 10 \\<< DUP * \\>>");
  // The edit the calculator did not take is not forgotten: a later change
  // on the calculator is a conflict, not a silent overwrite.
  ASSERT_EQ(Cli({"exec", "HOME \\<< 3 \\>> 'PROG' STO"}).code, 0);
  EXPECT_EQ(CodeOut({"pull", "m"}), "1 changed on the PC: AA.zq (push sends it)\nchanged on the PC: My Progs/ (push sends it)\n"
                                    "changed on the PC: My Progs/A.txt (push sends it)\n"
                                    "conflict: PROG.txt changed on both sides (--force-pc or --force-calc decides)\n");
  EXPECT_EQ(File("m/PROG.txt"), "%%ZQ: T(3)A(D)F(.);\n\\<< DUP DUP *\n");

  // Deletions on either side are listed and made only with --delete; push
  // --force-pc puts back what the calculator lost, folder and all.
  ASSERT_EQ(Cli({"pull", "d"}).code, 0);
  ASSERT_EQ(Cli({"rm", "A", "WORK/DEEP/Z", "WORK/DEEP"}).code, 0);
  ASSERT_EQ(Dump().find("HOME/WORK/DEEP"), std::string::npos) << Dump();
  EXPECT_EQ(CodeOut({"push", "d"}), "0 deleted on the calculator: A.txt (pull --delete deletes it here)\n"
                                    "deleted on the calculator: WORK/DEEP/ (pull --delete deletes it here)\n"
                                    "deleted on the calculator: WORK/DEEP/Z.txt (pull --delete deletes it here)\n");
  EXPECT_EQ(CodeOut({"push", "d", "--force-pc"}), "0 sent A.txt\ncreated folder WORK/DEEP/\nsent WORK/DEEP/Z.txt\n");
  std::string dump = Dump();
  EXPECT_NE(dump.find("HOME/A Real 11 42."), std::string::npos) << dump;
  EXPECT_NE(dump.find("HOME/WORK/DEEP/Z "), std::string::npos) << dump;
  EXPECT_EQ(dump.find("HOME/Z "), std::string::npos) << dump;
  EXPECT_EQ(CodeOut({"pull", "d"}), "0 ");

  ASSERT_EQ(Cli({"rm", "A", "WORK/DEEP/Z"}).code, 0);
  fs::remove(work / "d/PI2.txt");
  EXPECT_EQ(CodeOut({"pull", "d"}), "0 deleted on the calculator: A.txt (--delete deletes it here)\n"
                                    "deleted on the PC: PI2.txt (push --delete deletes it on the calculator)\n"
                                    "deleted on the calculator: WORK/DEEP/Z.txt (--delete deletes it here)\n");
  EXPECT_TRUE(fs::exists(work / "d/A.txt"));
  EXPECT_EQ(CodeOut({"pull", "d", "--delete"}),
            "0 deleted on the PC: PI2.txt (push --delete deletes it on the calculator)\ndeleted WORK/DEEP/Z.txt\ndeleted A.txt\n");
  EXPECT_FALSE(fs::exists(work / "d/A.txt"));
  EXPECT_FALSE(fs::exists(work / "d/WORK/DEEP/Z.txt"));
  EXPECT_NE(Dump().find("HOME/PI2 "), std::string::npos);  // a pull never deletes on the calculator
  EXPECT_EQ(CodeOut({"push", "d", "--delete"}), "0 deleted PI2.txt\n");
  EXPECT_EQ(Dump().find("HOME/PI2 "), std::string::npos);
  EXPECT_EQ(CodeOut({"pull", "d"}), "0 ");
}

// A calculator name that begins with a dot is mirrored like any other. A
// list holding a graphic has no text that compiles back to it: it is
// mirrored as an object file, so that an edit pushed back cannot lose the
// graphic; a list of numbers stays text. A real that became a graphic leaves
// its text file for an object file.
TEST_F(Mirror, HiddenNamesListsWithoutAnExactTextAFolderTreeAndCaretNames) {
  ASSERT_EQ(Cli({"exec", "HOME 7 '.A' STO PIC BINT MASK 3 \\->LIST 'L2' STO"}).code, 0);
  // A string's text is its characters: checking it must never run them.
  ASSERT_EQ(Cli({"exec", "HOME \"7 'ZAP' STO\" 'CMD' STO"}).code, 0);
  ASSERT_EQ(CodeOut({"-q", "pull", "m"}), "0 ");
  EXPECT_EQ(File("m/.A.txt"), "%%ZQ: T(3)A(D)F(.);\n7.\n");
  EXPECT_EQ(Dump().find("HOME/ZAP"), std::string::npos) << Dump();
  EXPECT_EQ(File("m/CMD.txt"), "%%ZQ: T(3)A(D)F(.);\n\"7 'ZAP' STO\"\n");
  EXPECT_FALSE(fs::exists(work / "m/L2.txt"));
  ASSERT_TRUE(fs::exists(work / "m/L2.zq"));
  EXPECT_EQ(File("m/LST.txt"), "%%ZQ: T(3)A(D)F(.);\n{ 1. 2. \"three\" }\n");
  EXPECT_EQ(CodeOut({"pull", "m"}), "0 ");
  EXPECT_EQ(CodeOut({"push", "m", "--delete"}), "0 ");
  EXPECT_NE(Dump().find("HOME/.A Real"), std::string::npos) << Dump();

  ASSERT_EQ(Cli({"exec", "HOME PIC 'A' STO"}).code, 0);
  EXPECT_EQ(CodeOut({"pull", "m"}), "0 fetched A.zq\n");
  EXPECT_FALSE(fs::exists(work / "m/A.txt"));
  EXPECT_EQ(File("m/A.zq"), File("m/PIC.zq"));

  // The object file carries the graphic back whole.
  const std::string before = sim.DumpLine("L2");
  EXPECT_NE(before, "");
  ASSERT_EQ(Cli({"rm", "L2"}).code, 0);
  fs::remove(work / "m/.bridgit-mirror");
  ASSERT_EQ(Cli({"push", "m"}).code, 0);
  EXPECT_EQ(sim.DumpLine("L2"), before);

  // Folders three deep are made on the calculator, and names outside plain
  // ASCII travel in the caret notation both ways.
  ASSERT_EQ(Cli({"pull", "w", "WORK"}).code, 0);
  EXPECT_EQ(FilesUnder(work / "w"), (std::set<std::string>{".bridgit-mirror", "NOTE.txt", "DEEP/Z.txt"}));
  Write("w/L1/L2/L3/^GaB.txt", "%%ZQ: T(3)A(D)F(.);\n\"deep\"\n");
  test::TRun r = Cli({"push", "w"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(Dump().find("HOME/WORK/L1/L2/L3/\\GaB String"), std::string::npos) << Dump();
  // Another mirror of the same folder finds the same files.
  r = Cli({"pull", "n", "HOME/WORK"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(File("n/L1/L2/L3/^GaB.txt"), "%%ZQ: T(3)A(D)F(.);\n\"deep\"\n");
  EXPECT_EQ(File("w/DEEP/Z.txt"), File("n/DEEP/Z.txt"));
  r = Cli({"pull", "w", "HOME"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("mirrors the calculator folder HOME/WORK, not HOME"), std::string::npos) << r.err;
  EXPECT_EQ(Cli({"pull", "x", "PROG"}).err, "bridgit-cli: no folder HOME/PROG on the calculator\n");  // not run
  EXPECT_EQ(Cli({"pull", "x", "WORK/WORK"}).err, "bridgit-cli: no folder HOME/WORK/WORK on the calculator\n");
}

// A link in the mirror (a checkout can hold one) never leads a pull's writes
// out of it: the pull stops and names the link, and nothing lands outside.
// Ctrl+C in the middle of a pull: every file is whole, and the next pull
// ends the job with the files an uninterrupted pull writes.
TEST_F(Mirror, ALinkStopsAPullAndAnInterruptedPullIsFinishedByTheNextOne) {
  fs::create_directories(work / "m");
  fs::create_directories(work / "outside");
  fs::create_directory_symlink("../outside", work / "m/WORK");
  fs::create_symlink("../outside/PROG.txt", work / "m/PROG.txt");
  test::TRun r = Cli({"pull", "m"});
  EXPECT_NE(r.code, 0);
  EXPECT_NE(r.err.find("is a link"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_empty(work / "outside"));
  EXPECT_TRUE(fs::is_symlink(work / "m/PROG.txt"));
  fs::remove(work / "m/WORK");
  fs::remove(work / "m/PROG.txt");

  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  test::TChildProcess pull(test::CliLine(sim.PcPath(), {"pull", "m"}), work.path().string(), {-1, out[1], out[1]});
  ::close(out[1]);
  std::string seen;
  char c;
  int lines = 0;
  while (lines < 3 && ::read(out[0], &c, 1) == 1) lines += (seen += c, c == '\n');
  pull.Signal(SIGINT);
  const int code = pull.Wait(30000);
  for (ssize_t n; (n = ::read(out[0], &c, 1)) == 1;) seen += c;
  ::close(out[0]);
  ASSERT_EQ(lines, 3) << seen;
  EXPECT_EQ(code, 130);
  EXPECT_NE(seen.find("bridgit-cli: cancelled\n"), std::string::npos) << seen;
  EXPECT_EQ(Dump().find("$$$"), std::string::npos) << Dump();  // its scratch went with it
  const std::set<std::string> partial = FilesUnder(work / "m");
  EXPECT_LT(partial.size(), kDemoFiles.size());
  for (const std::string& f : partial) EXPECT_EQ(f.find(".part-"), std::string::npos) << f;

  r = Cli({"pull", "m"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(FilesUnder(work / "m"), kDemoFiles);
  EXPECT_TRUE(fs::is_empty(work / "outside"));
  EXPECT_EQ(File("m/PROG.txt"), "%%ZQ: T(3)A(D)F(.);\n\\<< DUP * \\>>\n");
  EXPECT_EQ(CodeOut({"pull", "m"}), "0 ");
  // Nothing of the interrupted run stays on the calculator (the unchanged
  // pull's own answer waits for the next run).
  EXPECT_EQ(Dump().find("$$$b"), std::string::npos) << Dump();
}

}  // namespace
}  // namespace bridgit

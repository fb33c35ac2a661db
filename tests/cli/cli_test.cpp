// bridgit-cli as a process against bridgit-calcsim.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/calcsim_process.h"
#include "support/child_process.h"
#include "support/run_program.h"
#include "calcdata/nibbles.h"
#include "calcdata/object_header.h"

namespace bridgit {
namespace {

class Cli : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(sim.PcPath().empty()); }
  test::TRun Cli_(std::vector<std::string> args) {
    std::vector<std::string> all = {BRIDGIT_CLI, "--port", sim.PcPath(), "--speed", "115200"};
    all.insert(all.end(), args.begin(), args.end());
    return test::RunProgram(all, work.path().string());
  }
  std::string Dump() { return sim.Control("dump"); }
  test::TCalcSim sim{{"--model", "71GII", "--speed", "115200"}};
  test::TTempDir work;
};

TEST_F(Cli, InfoAndListing) {
  test::TRun r = Cli_({"info"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Model: ZQ-71GII\n"), std::string::npos);
  EXPECT_NE(r.out.find("Free memory: "), std::string::npos);
  r = Cli_({"ls"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("WORK/\tDirectory\t"), std::string::npos);
  EXPECT_NE(r.out.find("A\tReal\t11\n"), std::string::npos);
  EXPECT_EQ(r.out.find("WORK/NOTE"), std::string::npos);
  r = Cli_({"ls", "-R"});
  EXPECT_NE(r.out.find("WORK/DEEP/Z\tReal\t11\n"), std::string::npos);
  r = Cli_({"ls", "HOME/WORK", "--json"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("{\"name\": \"NOTE\", \"path\": \"NOTE\", \"type\": \"String\", \"size\": 16, \"folder\": false}"),
            std::string::npos)
      << r.out;
  r = Cli_({"ls", "NOWHERE"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "bridgit-cli: no folder NOWHERE\n");
}

TEST_F(Cli, GetPutAndChange) {
  test::TRun r = Cli_({"get", "A", "WORK/NOTE", "\\->SPEED"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(work / "A.zq"));
  EXPECT_TRUE(std::filesystem::exists(work / "NOTE.zq"));
  EXPECT_TRUE(std::filesystem::exists(work / "^141SPEED.zq"));
  r = Cli_({"get", "PROG", "--text", "-o", work / "p.txt"});
  EXPECT_EQ(r.code, 0) << r.err;
  std::ifstream in(work / "p.txt");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "%%ZQ: T(3)A(D)F(.);\n\\<< DUP * \\>>\n");

  std::filesystem::copy_file(work / "A.zq", work / "B.zq");
  r = Cli_({"put", work / "B.zq", "--to", "WORK"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(Dump().find("HOME/WORK/B Real 11 42."), std::string::npos);
  r = Cli_({"--yes", "put", work / "p.txt"});  // a text put asks; --yes answers
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(Dump().find("HOME/p RPL 10 \\<< DUP * \\>>"), std::string::npos);

  EXPECT_EQ(Cli_({"mkdir", "WORK/NEW"}).code, 0);
  EXPECT_EQ(Cli_({"mv", "WORK/B", "C"}).code, 0);
  EXPECT_EQ(Cli_({"rm", "A", "WORK/NEW"}).code, 0);
  const std::string dump = Dump();
  EXPECT_NE(dump.find("HOME/WORK/C Real"), std::string::npos);
  EXPECT_EQ(dump.find("HOME/WORK/NEW/"), std::string::npos);
  EXPECT_EQ(dump.find("HOME/A "), std::string::npos);
  r = Cli_({"mv", "PROG", "LST"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "bridgit-cli: LST already exists in this folder.\n");
}

TEST_F(Cli, EvaluationAndTheStack) {
  test::TRun r = Cli_({"exec", "2 3 \"AB\""});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "3: 2.\n2: 3.\n1: \"AB\"\n");
  r = Cli_({"exec", "DROP"});
  EXPECT_EQ(r.out, "2: 2.\n1: 3.\n");
  r = Cli_({"eval", "PROG"});
  EXPECT_EQ(r.out, "2: 2.\n1: 9.\n");
  r = Cli_({"stack"});
  EXPECT_EQ(r.out, "2: 2.\n1: 9.\n");
}

TEST_F(Cli, BackupRestoreAndCapture) {
  test::TRun r = Cli_({"backup", work / "calc.zqbackup"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_GT(std::filesystem::file_size(work / "calc.zqbackup"), 100u);
  Cli_({"rm", "A"});
  r = Cli_({"--yes", "restore", work / "calc.zqbackup"});
  EXPECT_EQ(r.code, 0) << r.err;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_NE(Dump().find("HOME/A Real 11 42."), std::string::npos);

  std::thread keys([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    sim.Control("screen page");
  });
  r = Cli_({"--wait", "10", "capture", "-o", work / "s.jpg"});
  keys.join();
  EXPECT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(std::filesystem::exists(work / "s.jpg"));
  const test::TRun djpeg = test::RunProgram({"/usr/bin/djpeg", "-pnm", work / "s.jpg"});
  EXPECT_TRUE(djpeg.out.starts_with("P6\n262 128\n")) << djpeg.out.substr(0, 20);
  r = Cli_({"--wait", "1", "capture", "-o", work / "s.png"});
  EXPECT_EQ(r.code, 1);
}

TEST_F(Cli, BadInput) {
  EXPECT_EQ(Cli_({"frobnicate"}).code, 2);
  EXPECT_EQ(Cli_({"get"}).code, 2);
  test::TRun r = Cli_({"put", work / "missing.zq"});
  EXPECT_EQ(r.code, 2);  // checked before anything is opened
  r = Cli_({"get", "NOSUCH"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "bridgit-cli: no variable NOSUCH\n");
  ASSERT_EQ(Cli_({"get", "LST"}).code, 0);
  std::filesystem::resize_file(work / "LST.zq", std::filesystem::file_size(work / "LST.zq") - 3);
  const std::string before = Dump();
  r = Cli_({"--yes", "put", work / "LST.zq"});  // a cut-off object is never sent
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(Dump(), before);
  r = test::RunProgram({BRIDGIT_CLI, "--port", work / "no-port", "info"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "bridgit-cli: Error (The connectivity kit is unable to open communications to:" + (work / "no-port") + ")\n");
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
}

TEST(CliCancel, CtrlCStopsATransferAndLeavesNoFile) {
  test::TTempDir mem, work;
  {
    TNibbleWriter w;  // a 20000-character string: seconds at 9600 baud
    w.Put5(0x02A2C);
    w.Put5(5 + 2 * 20000);
    w.PutBytes(std::string(20000, 'z'));
    std::ofstream(mem / "BIG.zq", std::ios::binary) << MakeObjectHeader(kFamily73) << w.Packed();
  }
  test::TCalcSim sim({"--memory", mem.path().string(), "--baud", "9600"});
  test::TChildProcess cli({BRIDGIT_CLI, "--port", sim.PcPath(), "--speed", "9600", "get", "BIG", "-o", work / "BIG.zq"});
  std::this_thread::sleep_for(std::chrono::seconds(8));  // well into the transfer
  cli.Signal(SIGINT);
  EXPECT_EQ(cli.Wait(30000), 1);
  EXPECT_FALSE(std::filesystem::exists(work / "BIG.zq"));
  EXPECT_TRUE(std::filesystem::is_empty(work.path()));
}

}  // namespace
}  // namespace bridgit

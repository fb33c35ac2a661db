// Each object operation against each fault the simulator injects: it either
// succeeds with exact data or fails cleanly; no partial file is left on the PC,
// no damaged variable on the calculator, and a new connection works.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/files.h"
#include "base/log.h"
#include "link/comm_port.h"
#include "session/xmodem_server.h"
#include "support/calcsim_process.h"
#include "support/recording_host.h"

namespace bridgit {
namespace {

enum class TOp { kGetBinary, kGetText, kPutBinary, kPutText };

struct TCell {
  TOp op;
  std::string fault;
};

std::string OpName(TOp op) {
  switch (op) {
    case TOp::kGetBinary: return "GetBinary";
    case TOp::kGetText: return "GetText";
    case TOp::kPutBinary: return "PutBinary";
    case TOp::kPutText: return "PutText";
  }
  return "";
}

class FaultMatrix : public ::testing::TestWithParam<TCell> {};

// What a clean calculator gives for LST, binary and as text.
const std::string kListText = "%%ZQ: T(3)A(D)F(.);\n{ 1. 2. \"three\" }\n";

TEST_P(FaultMatrix, SucceedsExactlyOrFailsCleanly) {
  const TCell cell = GetParam();
  TLogBook::Instance().Clear();
  test::TRecordingHost host;
  host.FileSettings().addCR = false;
  host.SetReplacePolicy([](const std::string&, const std::string&) { return kModalYes; });
  SetLinkHost(&host);
  test::TCalcSim sim({"--model", "71GII", "--speed", "115200"});
  test::TTempDir dir;
  {
    TXModemServer server(host);
    server.Speed = "115200";
    server.Connect(sim.PcPath());
    TXPObject home;
    home.Name = "HOME";
    server.ListAll(home);
    const TXPObject* lst = nullptr;
    for (const auto& c : home.Children)
      if (c->Name == "LST") lst = c.get();
    ASSERT_NE(lst, nullptr);
    // A clean copy first: the reference for exact data and the file to put.
    host.SetTextMode(false);
    ASSERT_TRUE(server.GetToFile("LST", dir / "ref.zq", lst->TypeIcon, lst->Size));
    std::ofstream(dir / "ref.txt") << kListText;
    const std::string reference = test::Slurp(dir / "ref.zq");
    const std::string before = sim.Control("dump");

    ASSERT_EQ(sim.Control("fault " + cell.fault), "ok");
    bool ok = false;
    std::string failure;
    const std::string target = dir / "out";
    try {
      bool all = true;
      switch (cell.op) {
        case TOp::kGetBinary:
          host.SetTextMode(false);
          ok = server.GetToFile("LST", target, lst->TypeIcon, lst->Size);
          break;
        case TOp::kGetText:
          host.SetTextMode(true);
          ok = server.GetToFile("LST", target, lst->TypeIcon, lst->Size);
          break;
        case TOp::kPutBinary:
          ok = server.PutFile("NEW", dir / "ref.zq", 1, all, false);
          break;
        case TOp::kPutText:
          ok = server.PutFile("NEW", dir / "ref.txt", 1, all, false);
          break;
      }
    } catch (const std::exception& e) {
      failure = e.what();
    }
    // The PC side: the whole file or none, never a partial one.
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      EXPECT_EQ(e.path().string().find(".part-"), std::string::npos) << e.path();
    if (cell.op == TOp::kGetBinary || cell.op == TOp::kGetText) {
      if (ok)
        EXPECT_EQ(test::Slurp(target), cell.op == TOp::kGetBinary ? reference : kListText);
      else
        EXPECT_FALSE(std::filesystem::exists(target));
    }
    // The calculator side: NEW is absent or exactly LST; nothing else changed.
    SetLinkHost(&host);
    sim.Control("clear-faults");
    sim.Control("server");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Scratch variables an interrupted operation leaves ("$$$t") are no user data.
    std::string withoutNew;
    {
      const std::string after = sim.Control("dump");
      std::size_t from = 0;
      while (from < after.size()) {
        const std::size_t nl = after.find('\n', from);
        const std::string line = after.substr(from, nl - from + 1);
        if (!line.starts_with("HOME/$$$")) withoutNew += line;
        from = nl + 1;
      }
    }
    const std::size_t at = withoutNew.find("HOME/NEW ");
    if (at != std::string::npos) {
      const std::string line = withoutNew.substr(at, withoutNew.find('\n', at) - at);
      EXPECT_EQ(line, "HOME/NEW List 36 { 1. 2. \"three\" }");
      withoutNew.erase(at, line.size() + 1);
    }
    EXPECT_EQ(withoutNew, before);
    // Still usable: a new connection works.
    server.Connect(sim.PcPath());
    EXPECT_TRUE(host.Connected());
    for (char& c : failure)
      if (c == '\r' || c == '\n') c = ' ';
    std::printf("| %-10s | %-18s | %-8s | %s\n", OpName(cell.op).c_str(), cell.fault.c_str(), ok ? "ok" : "failed",
                failure.substr(0, 60).c_str());
  }
  SetLinkHost(nullptr);
}

std::vector<TCell> Cells() {
  std::vector<TCell> cells;
  for (TOp op : {TOp::kGetBinary, TOp::kGetText, TOp::kPutBinary, TOp::kPutText})
    for (const char* fault : {"corrupt-block@+1", "corrupt-packet@+1", "lose-ack@+1", "nak:2@+1", "drop-byte@+40",
                              "can@+1", "garbage@+1"})
      cells.push_back({op, fault});
  return cells;
}

INSTANTIATE_TEST_SUITE_P(Cells, FaultMatrix, ::testing::ValuesIn(Cells()), [](const auto& p) {
  std::string name = OpName(p.param.op) + "_" + p.param.fault;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

}  // namespace
}  // namespace bridgit

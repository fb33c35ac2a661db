// Each session operation against the faults the simulator injects that touch
// it: the operation either succeeds with exact data or fails cleanly; no
// partial file is left on the PC, no damaged variable on the calculator, and a
// new connection works afterwards. Each cell prints one row of the matrix.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "base/files.h"
#include "host/comm_status.h"
#include "support/session_fixture.h"

namespace bridgit {
namespace {

enum class TOp { kConnect, kList, kGetBinary, kGetText, kPutBinary, kPutText, kBackup, kRestore, kCapture,
                 kManualSend, kManualReceive };

struct TCell {
  TOp op;
  std::string name, fault;
};

// What a clean calculator gives for LST as an object file and as text, and
// its dump line once copied.
const std::string kListFile(
    "ZQZQ73-Ct*0\x93\2\0\0\0\0\0\0\0\x01\x33\x29\0\0\0\0\0\0\0\x20\xC0\xA2\2\x0F\0\x40\x87\x26\x57\x56\xB6\x12\3", 44);
const std::string kListText = "%%ZQ: T(3)A(D)F(.);\n{ 1. 2. \"three\" }\n";
const std::string kCopyLine = "List 36 { 1. 2. \"three\" }";

// The calculator's memory without the scratch variables that an interrupted
// operation leaves ("$$$t", the backup's flag program): they are no user data;
// nor the copies, which are checked on their own.
std::string UserMemory(test::TCalcSim& sim) {
  std::string kept;
  std::istringstream in(sim.Control("dump"));
  for (std::string line; std::getline(in, line);)
    if (!line.starts_with("HOME/$$$") && !line.starts_with("HOME/fLaG ") && !line.starts_with("HOME/NEW ") &&
        !line.starts_with("HOME/NEWA "))
      kept += line + "\n";
  return kept;
}

class FaultMatrix : public test::TSessionFixture, public ::testing::WithParamInterface<TCell> {
 protected:
  void SetUp() override {
    TSessionFixture::SetUp();
    host.FileSettings().addCR = false;
    host.SetReplacePolicy([](const std::string&, const std::string&) { return kModalYes; });
    host.SetQuestionPolicy([](const std::string&, const std::string&) { return true; });
    Start({"--model", "71GII"});
  }

  std::string Names(const TXPObject& folder) const {
    std::string names;
    for (const auto& c : folder.Children) names += c->Name + " " + std::to_string(c->Size) + ";";
    return names;
  }
  // Keeps what was received in `file` the way the window does: written only when whole.
  bool Keep(bool received, const std::string& file) {
    std::string bytes;
    int error = 0;
    return received && server->TakeReceivedObject(bytes) && !bytes.empty() && WriteFileSafely(file, bytes, error);
  }

  std::string progressText;  // outlives the test body: the server may report while it closes
};

TEST_P(FaultMatrix, SucceedsExactlyOrFailsCleanly) {
  const TCell cell = GetParam();
  ConnectAndList();
  ASSERT_TRUE(host.Connected());
  const TXPObject* lst = Item("LST");
  ASSERT_NE(lst, nullptr);
  const std::string listing = Names(home);

  // The exact data a faulty run must match; a backup and a screen are taken clean first.
  host.SetTextMode(false);
  std::ofstream(dir / "ref.zq", std::ios::binary) << kListFile;
  std::ofstream(dir / "ref.txt") << kListText;
  std::string referenceBackup;
  if (cell.op == TOp::kBackup || cell.op == TOp::kRestore) {
    ASSERT_TRUE(Keep(server->Backup(dir / "ref.zqbackup", home.TotalSize()), dir / "ref.zqbackup"));
    referenceBackup = test::Slurp(dir / "ref.zqbackup");
  }
  std::string referenceScreen;
  if (cell.op >= TOp::kCapture) {  // transfers the calculator starts, its server stopped
    server->Quit();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(server->OpenDirect(sim->PcPath()));
    if (cell.op == TOp::kCapture) {
      host.SetPromptVisible(true);
      sim->Control("screen page");
      server->CaptureScreen(referenceScreen);
      ASSERT_FALSE(referenceScreen.empty());
    }
  }
  if (cell.op == TOp::kConnect) {
    server->Quit();
    sim->Control("server");
  }
  const std::string before = UserMemory(*sim);

  // What the progress window last said: a transfer's failure is shown there.
  host.SetProgressObserver([&](const TCommStatusState& state) {
    if (!state.message().empty()) progressText = state.message();
  });
  ASSERT_EQ(sim->Control("fault " + cell.fault), "ok");
  bool ok = false;
  std::string failure;
  const std::string target = dir / "out";
  bool all = true;
  try {
    switch (cell.op) {
      case TOp::kConnect:
        server->Connect(sim->PcPath());
        ok = host.Connected();
        break;
      case TOp::kList: {
        TXPObject again;
        again.Name = "HOME";
        server->ListAll(again);
        ok = true;
        EXPECT_EQ(Names(again), listing);
        break;
      }
      case TOp::kGetBinary:
      case TOp::kGetText:
        host.SetTextMode(cell.op == TOp::kGetText);
        ok = server->GetToFile("LST", target, lst->TypeIcon, lst->Size);
        break;
      case TOp::kPutBinary: ok = server->PutFile("NEW", dir / "ref.zq", 1, all, false); break;
      case TOp::kPutText: ok = server->PutFile("NEW", dir / "ref.txt", 1, all, false); break;
      case TOp::kBackup: ok = Keep(server->Backup(target, home.TotalSize()), target); break;
      case TOp::kRestore: ok = server->Restore(dir / "ref.zqbackup"); break;
      case TOp::kCapture: {
        host.SetPromptVisible(true);
        sim->Control("screen page");
        std::string image;
        server->CaptureScreen(image);
        ok = !image.empty();
        if (ok) { EXPECT_EQ(image, referenceScreen); }
        break;
      }
      case TOp::kManualSend:
        host.SetPromptVisible(true);
        sim->Control("xrecv NEWA");
        ok = server->ManualSend(dir / "ref.zq");
        break;
      case TOp::kManualReceive:
        sim->Control("xsend LST");
        ok = Keep(server->ManualReceive(target, 0), target);
        break;
    }
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (!ok && failure.empty() && !host.Messages().empty()) failure = host.Messages().back().first;
  if (!ok && failure.empty()) failure = progressText;

  // The PC side: the whole file or none, never a partial one.
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().string().find(".part-"), std::string::npos) << e.path();
  const bool writesTarget = cell.op == TOp::kGetBinary || cell.op == TOp::kGetText || cell.op == TOp::kBackup ||
                            cell.op == TOp::kManualReceive;
  if (writesTarget && !ok) { EXPECT_FALSE(std::filesystem::exists(target)); }
  const std::string& expected = cell.op == TOp::kGetText ? kListText : cell.op == TOp::kBackup ? referenceBackup : kListFile;
  if (writesTarget && ok) { EXPECT_EQ(test::Slurp(target), expected); }

  // The calculator side: a copy is absent or exact; nothing else changed.
  // After a cut the calculator may still be retrying its side of the
  // exchange: the user presses its cancel key and starts the server again.
  EXPECT_EQ(sim->Control("clear-faults"), "ok") << "the fault must strike the operation";
  if (cell.op == TOp::kRestore) std::this_thread::sleep_for(std::chrono::milliseconds(300));
  sim->Control("abort");
  sim->Control("server");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(UserMemory(*sim), before);
  for (const std::string name : {"NEW", "NEWA"})
    if (const std::string line = sim->DumpLine(name); !line.empty()) { EXPECT_EQ(line, kCopyLine) << name; }
  if (ok && (cell.op == TOp::kPutBinary || cell.op == TOp::kPutText || cell.op == TOp::kManualSend)) {
    if (cell.op == TOp::kManualSend) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(sim->DumpLine(cell.op == TOp::kManualSend ? "NEWA" : "NEW"), kCopyLine) << "reported done, not stored";
  }

  // Still usable: a new connection works (no prompt of the transfer is left up).
  host.SetPromptVisible(false);
  server->Connect(sim->PcPath());
  EXPECT_TRUE(host.Connected());
  std::replace_if(failure.begin(), failure.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  std::printf("| %-13s | %-18s | %-8s | %s\n", cell.name.c_str(), cell.fault.c_str(), ok ? "ok" : "failed",
              failure.substr(0, 60).c_str());
}

// The faults that touch each operation: the letters and packets of the
// server's commands, the blocks each way, and the line itself.
std::vector<TCell> Cells() {
  // (Garbage for a command letter's reply is the connection row's: every
  // letter's reply is read the same way, and each such cell waits 20 s.)
  // Each fault must strike: a put sends the calculator no blocks to damage or
  // cancel, and the calculator writes only a few bytes of acknowledgement.
  const std::vector<std::string> get = {"corrupt-block@+1", "corrupt-packet@+1", "lose-ack@+1", "nak:2@+1",
                                        "drop-byte@+40",    "can@+1",            "stall:3000@+1", "cut@+60"};
  const std::vector<std::string> put = {"corrupt-packet@+1", "lose-ack@+1", "nak:2@+1", "drop-byte@+2", "stall:3000@+1", "cut@+2"};
  const std::vector<std::tuple<TOp, std::string, std::vector<std::string>>> rows = {
      {TOp::kConnect, "Connect", {"corrupt-packet@+1", "nak:2@+1", "drop-byte@+2", "garbage@+1", "stall:3000@+1", "cut@+3"}},
      // A short listing comes back in command packets.
      {TOp::kList, "List", {"corrupt-packet@+1", "stall:3000@+1", "cut@+60"}},
      {TOp::kGetBinary, "GetBinary", get},
      {TOp::kPutBinary, "PutBinary", put},
      // A text copy is a binary copy of a scratch variable between command
      // packets: its rows try those packets and a cancelled transfer.
      {TOp::kGetText, "GetText", {"corrupt-packet@+1", "nak:2@+1", "can@+1"}},
      {TOp::kPutText, "PutText", {"corrupt-packet@+1", "nak:2@+1", "can@+1"}},
      {TOp::kBackup, "Backup", {"corrupt-block@+1", "lose-ack@+1", "nak:2@+1", "drop-byte@+300", "can@+1", "cut@+300"}},
      {TOp::kRestore, "Restore", {"corrupt-packet@+1", "lose-ack@+1", "nak:2@+1", "drop-byte@+2", "cut@+4"}},
      {TOp::kCapture, "Capture", {"drop-byte@+200", "cut@+300"}},  // the screen comes as a raw stream
      {TOp::kManualSend, "ManualSend", {"lose-ack@+1", "nak:2@+1", "drop-byte@+1", "cut@+2"}},
      {TOp::kManualReceive, "ManualReceive", {"corrupt-block@+1", "drop-byte@+20", "can@+1", "cut@+20"}},
  };
  std::vector<TCell> cells;
  for (const auto& [op, name, faults] : rows)
    for (const auto& fault : faults) cells.push_back({op, name, fault});
  return cells;
}

INSTANTIATE_TEST_SUITE_P(Cells, FaultMatrix, ::testing::ValuesIn(Cells()), [](const auto& p) {
  std::string name = p.param.name + "_" + p.param.fault;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

}  // namespace
}  // namespace bridgit

// Against bridgit-calcsim: where a text put stops travelling inside the command,
// how a fetched text is quoted by the type the listing gave, and the size a
// backup is received with.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "base/log.h"
#include "session/xmodem_server.h"
#include "support/calcsim_process.h"
#include "support/session_fixture.h"
#include "support/temp_dir.h"

namespace bridgit {
namespace {

using test::Slurp;

constexpr int kRealIcon = 32;
constexpr int kStringIcon = 17;
constexpr int kAlgebraicIcon = 35;

class TextPutAndBackup : public test::TSessionFixture {
 protected:
  void SetUp() override {
    TSessionFixture::SetUp();
    sim = std::make_unique<test::TCalcSim>(std::vector<std::string>{});
    server->Speed = "9600";
    server->Connect(sim->PcPath());
    home.Name = "HOME";
    server->ListAll(home);
    host.SetReplacePolicy([](const std::string&, const std::string&) { return kModalYes; });
  }
  long long SizeOf(const std::string& name) {
    for (const auto& c : home.Children)
      if (c->Name == name) return c->Size;
    return -1;
  }
  std::string DumpLine(const std::string& name) {
    const std::string dump = sim->Control("dump");
    const std::string key = "HOME/" + name + " ";
    const std::size_t at = dump.find(key);
    return at == std::string::npos ? "" : dump.substr(at + key.size(), dump.find('\n', at) - at - key.size());
  }
  bool LogHas(const std::string& text) const { return TLogBook::Instance().Text().find(text) != std::string::npos; }

  TXPObject home;
  test::TTempDir dir;
};

TEST_F(TextPutAndBackup, ThreeHundredBytesGoInsideTheCommandThreeHundredAndOneThroughAScratchVariable) {
  const std::string header = "%%ZQ: T(3)A(D)F(.);\n";
  for (const std::size_t size : {300u, 301u}) {
    SCOPED_TRACE(size);
    const std::string xs(size - header.size() - 3, 'x');
    const std::string text = header + "\"" + xs + "\"\n";
    ASSERT_EQ(text.size(), size);
    const std::string name = "S" + std::to_string(size);
    std::ofstream(dir / (name + ".txt"), std::ios::binary) << text;
    TLogBook::Instance().Clear();
    bool all = false;
    ASSERT_TRUE(server->PutFile(name, dir / (name + ".txt"), 1, all, false));
    const std::string compile = "' RCLF DEG -51 CF -55 CF ";
    if (size == 300) {
      EXPECT_FALSE(LogHas("send command = P"));
      EXPECT_TRUE(LogHas("command packet = ''" + name + compile + "\"\\\"" + xs + "\\\"\" IFERR OBJ\x8D"));
    } else {
      EXPECT_TRUE(LogHas("send command = P"));
      EXPECT_TRUE(LogHas("command packet = ''" + name + compile + "$$$a '$$$a' PURGE IFERR OBJ\x8D"));
      EXPECT_EQ(DumpLine("$$$a"), "");
    }
    // A String of n characters is 10 + 2n nibbles.
    EXPECT_EQ(DumpLine(name), "String " + std::to_string((10 + 2 * xs.size()) / 2) + " \"" + xs + "\"");
  }
}

TEST_F(TextPutAndBackup, FetchedTextIsQuotedByTheTypeTheListingGave) {
  host.SetTextMode(true);
  const auto get = [&](const std::string& name, int icon) {
    const std::string file = dir / (name + std::to_string(icon) + ".txt");
    EXPECT_TRUE(server->GetToFile(name, file, icon, SizeOf(name)));
    return Slurp(file);
  };
  const std::string header = "%%ZQ: T(3)A(D)F(.);\n";
  // An Algebraic's text that lacks the leading quote gets single quotes around it...
  EXPECT_EQ(get("A", kAlgebraicIcon), header + "'42.'\n");
  // ...one that has it gets none added.
  EXPECT_EQ(get("EXPR", kAlgebraicIcon), header + "'X^2+1'\n");
  // Other types: no quotes; a String: double quotes.
  EXPECT_EQ(get("A", kRealIcon), header + "42.\n");
  server->Execute("\"say \\\\\"hi\\\\\"\" 'SAY' STO", true, true);
  server->ListAll(home);
  EXPECT_EQ(get("SAY", kStringIcon), header + "\"say \\\"hi\\\"\"\n");
}

TEST_F(TextPutAndBackup, TheBackupIsReceivedWithItsEstimateRoundedUpToWholeBlocks) {
  std::set<int> totals;
  host.SetProgressObserver([&](const TCommStatusState& s) { totals.insert(s.maximum()); });
  for (const auto& [estimate, received] : {std::pair{1000LL, 1024}, {1024LL, 1024}, {1025LL, 1152}}) {
    SCOPED_TRACE(estimate);
    totals.clear();
    ASSERT_TRUE(server->Backup(dir / "calc.zqbackup", estimate));
    EXPECT_TRUE(totals.contains(received));
    if (estimate != received) {
      EXPECT_FALSE(totals.contains(static_cast<int>(estimate)));
    }
  }
}

// The window's estimate is the sizes of HOME's entries plus 100; the names
// of the entries are not in it. A memory of many small variables with long
// names is well above it, and is still received whole.
TEST_F(TextPutAndBackup, ABackupWellAboveItsEstimateIsReceivedWhole) {
  for (int batch = 0; batch < 16; ++batch) {
    std::string command;
    for (int i = 0; i < 10; ++i) command += std::to_string(batch * 10 + i) + " 'LONGNAMEDVAR" + std::to_string(batch * 10 + i) + "' STO ";
    server->Execute(command, true, true);
  }
  server->ListAll(home);
  const long long estimate = home.TotalSize();
  ASSERT_TRUE(server->Backup(dir / "many.zqbackup", estimate));
  EXPECT_GT(static_cast<long long>(server->LastData.size()), estimate + 1024);
}

}  // namespace
}  // namespace bridgit

// Objects both ways, backup and restore, screen capture, manual transfers and
// the ROM loader, against bridgit-calcsim.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <set>

#include "base/files.h"
#include "calcdata/nibbles.h"
#include "calcdata/object_header.h"
#include "calcdata/object_walk.h"
#include "support/log_lines.h"
#include "support/session_fixture.h"
#include "transfer/block_checks.h"

namespace bridgit {
namespace {

using test::Slurp;

constexpr int kRealIcon = 32;
constexpr int kStringIcon = 17;
constexpr int kAlgebraicIcon = 35;
const std::string kRealFile("ZQZQ73-C\x33\x29\x10\0\0\0\0\0\0\x42\0", 19);  // the Real 42.
const std::string kTextHeader = "%%ZQ: T(3)A(D)F(.);\n";

class Objects : public test::TSessionFixture {
 protected:
  void Start(std::vector<std::string> args = {}, const std::string& speed = "115200") {
    ASSERT_NO_FATAL_FAILURE(TSessionFixture::Start(std::move(args), speed));
    ConnectAndList();
    host.SetReplacePolicy([](const std::string&, const std::string&) { return kModalYes; });
  }
  static bool LogHas(const std::string& text) { return test::LogCountHolding(text) > 0; }
  std::string Dump() { return sim->Control("dump"); }
  std::string DumpLine(const std::string& name) { return sim->DumpLine(name); }
  bool Get(const std::string& name, const std::string& file) {
    const TXPObject* item = Item(name);
    return item && server->GetToFile(name, file, item->TypeIcon, item->Size);
  }
  bool Put(const std::string& name, const std::string& file) {
    bool all = false;
    return server->PutFile(name, file, 1, all, true);
  }

  // An object of a type the table lacks (prolog 0x12345): 248 bytes, so that
  // its file fills whole 128-byte blocks. The simulator cannot know where such
  // an object ends either and keeps every byte it is sent; with no padding to
  // keep, what it holds is exactly what the PC sent.
  static std::string UnknownObjectFile() {
    TNibbleWriter w;
    w.Put5(0x12345);
    for (int i = 0; i < 491; ++i) w.Put(static_cast<unsigned>(i * 5 + i / 16) & 0xF);
    return MakeObjectHeader(kFamily73) + w.Packed();
  }
};

// Every demo object goes out and back bit identical as an object file, and
// through its text where the text gives the object again. A backup is
// received whole.
TEST_F(Objects, EveryDemoObjectGoesOutAndBackLongTextsAndBackups) {
  Start({"--model", "71GII"});  // its own speed is the fast line's: no slow pauses
  const std::set<std::string> texts = {"A", "GREETING", "LST", "PROG", "EXPR", "MASK"};
  for (const std::string name : {"A", "PI2", "GREETING", "LST", "PROG", "EXPR", "BINT", "MASK", "PIC", "WORK"}) {
    SCOPED_TRACE(name);
    host.SetTextMode(false);
    const std::string file = dir / (name + ".zq");
    ASSERT_TRUE(Get(name, file));
    const std::string bytes = Slurp(file);
    std::string trimmed = bytes;
    ASSERT_TRUE(TrimObject(trimmed).success);
    EXPECT_EQ(trimmed, bytes) << "written at its exact length";
    ASSERT_TRUE(Put("C" + name, file));
    server->ListAll(home);
    ASSERT_TRUE(Get("C" + name, dir / ("C" + name + ".zq")));
    EXPECT_EQ(Slurp(dir / ("C" + name + ".zq")), bytes);
    if (!texts.contains(name)) continue;
    host.SetTextMode(true);
    ASSERT_TRUE(Get(name, dir / (name + ".txt")));
    const std::string text = Slurp(dir / (name + ".txt"));
    EXPECT_TRUE(text.starts_with(kTextHeader)) << text;
    ASSERT_TRUE(Put("T" + name, dir / (name + ".txt")));
    EXPECT_EQ(DumpLine("T" + name), DumpLine(name)) << text;
  }
  EXPECT_EQ(DumpLine("CWORK"), "");  // a folder is listed as one, not as a variable
  EXPECT_NE(Dump().find("HOME/CWORK/DEEP/Z Real 11 -1.5"), std::string::npos);
  EXPECT_EQ(Slurp(dir / "GREETING.txt"), kTextHeader + "\"Hello \\\"calc\\\" \\-> \\<< world \\>>\"\n");
  EXPECT_EQ(Slurp(dir / "PROG.txt"), kTextHeader + "\\<< DUP * \\>>\n");

  // Text is quoted by the type the listing gave.
  host.SetTextMode(true);
  const auto get = [&](const std::string& name, int icon) {
    const std::string file = dir / (name + std::to_string(icon) + ".txt");
    EXPECT_TRUE(server->GetToFile(name, file, icon, Item(name)->Size));
    return Slurp(file);
  };
  // An Algebraic's text that lacks the leading quote gets single quotes around it...
  EXPECT_EQ(get("A", kAlgebraicIcon), kTextHeader + "'42.'\n");
  // ...one that has it gets none added.
  EXPECT_EQ(get("EXPR", kAlgebraicIcon), kTextHeader + "'X^2+1'\n");
  // Other types: no quotes; a String: double quotes.
  EXPECT_EQ(get("A", kRealIcon), kTextHeader + "42.\n");
  server->Channel().Execute("\"say \\\\\"hi\\\\\"\" 'SAY' STO", true, true);
  server->ListAll(home);
  EXPECT_EQ(get("SAY", kStringIcon), kTextHeader + "\"say \\\"hi\\\"\"\n");

  // Only the name HOME itself is refused, before anything is sent.
  host.SetTextMode(false);
  for (const std::string name : {"home", "Home", "HOMEWORK"}) ASSERT_TRUE(Put(name, dir / "A.zq"));  // the object got above
  server->ListAll(home);
  host.SetTextMode(true);
  for (const std::string name : {"home", "Home", "HOMEWORK"})
    EXPECT_TRUE(Get(name, dir / (name + ".txt")) && Slurp(dir / (name + ".txt")) == kTextHeader + "42.\n") << name;
  TLogBook::Instance().Clear();
  EXPECT_FALSE(server->GetToFile("HOME", dir / "HOME.txt", kDirectoryIcon, 0));
  EXPECT_FALSE(std::filesystem::exists(dir / "HOME.txt"));
  EXPECT_FALSE(LogHas("send command")) << "nothing sent";

  host.SetTextMode(false);
  for (const std::size_t size : {300u, 301u}) {
    SCOPED_TRACE(size);
    const std::string xs(size - kTextHeader.size() - 3, 'x');
    const std::string text = kTextHeader + "\"" + xs + "\"\n";
    ASSERT_EQ(text.size(), size);
    const std::string name = "S" + std::to_string(size);
    std::ofstream(dir / (name + ".txt"), std::ios::binary) << text;
    TLogBook::Instance().Clear();
    bool all = false;
    ASSERT_TRUE(server->PutFile(name, dir / (name + ".txt"), 1, all, false));
    const std::string compile = "' RCLF DEG -51 CF -55 CF ";
    const std::string verdict = "{ \"\" } '$$$t' STO '";  // the failure's, until the store is done
    const bool scratch = size == 301;
    EXPECT_EQ(LogHas("send command = P"), scratch);
    const std::string body = scratch ? "$$$a '$$$a' PURGE" : "\"\\\"" + xs + "\\\"\"";
    EXPECT_TRUE(LogHas("command packet = '" + verdict + name + compile + body + " IFERR OBJ\x8D"));
    if (scratch) {
      EXPECT_EQ(DumpLine("$$$a"), "");
      EXPECT_FALSE(std::filesystem::exists(TempFolder() + "$$$a" + SafeFileNamePart(sim->PcPath())));
    }
    // A String of n characters is 10 + 2n nibbles.
    EXPECT_EQ(DumpLine(name), "String " + std::to_string((10 + 2 * xs.size()) / 2) + " \"" + xs + "\"");
  }

  const long long listed = Item("GREETING")->Size;
  const std::string longer = "a much longer greeting than the one listed before";
  server->Channel().Execute("\"" + longer + "\" 'GREETING' STO", true, true);
  TLogBook::Instance().Clear();
  ASSERT_TRUE(Get("GREETING", dir / "G.zq"));
  const std::string got = Slurp(dir / "G.zq");
  EXPECT_EQ(got.substr(8 + 5), longer);  // prolog and length field, then the characters
  EXPECT_EQ(got.size(), 8u + 5u + longer.size());
  EXPECT_GT(static_cast<long long>(got.size()), listed + 8);
  EXPECT_TRUE(LogHas("Object size differs from the listing (expected / got): " + std::to_string(listed + 8) + " / " +
                     std::to_string(got.size())));

  // The backup is received with its estimate rounded up to whole blocks.
  std::set<int> totals;
  host.SetProgressObserver([&](const TCommStatusState& s) { totals.insert(s.maximum()); });
  for (const auto& [estimate, received] : {std::pair{1000LL, 1024}, {1024LL, 1024}, {1025LL, 1152}}) {
    totals.clear();
    ASSERT_TRUE(server->Backup(dir / "calc.zqbackup", estimate));
    EXPECT_TRUE(totals.contains(received) && (estimate == received || !totals.contains(static_cast<int>(estimate))))
        << estimate;
  }

  // The window's estimate is the sizes of HOME's entries plus 100; the names
  // of the entries are not in it. A memory of many small variables with long
  // names is well above it, and is still received whole.
  for (int batch = 0; batch < 16; ++batch) {
    std::string command;
    for (int i = 0; i < 10; ++i) command += std::to_string(batch * 10 + i) + " 'LONGNAMEDVAR" + std::to_string(batch * 10 + i) + "' STO ";
    server->Channel().Execute(command, true, true);
  }
  server->ListAll(home);
  const long long estimate = home.TotalSize();
  ASSERT_TRUE(server->Backup(dir / "many.zqbackup", estimate));
  EXPECT_GT(static_cast<long long>(server->LastData().size()), estimate + 1024);
}

TEST_F(Objects, BinaryAndTextCopiesOverUsb) {
  test::TScopedEnv env({{"BRIDGIT_USB_ROOT", dir.path()}});
  Start({"--model", "73G+", "--link", "usb", "--usb-root", dir.path().string()}, "115200");
  host.SetTextMode(false);
  // Disconnecting while the transfer thread holds the link is refused; the transfer goes on.
  std::string refused;
  host.SetProgressObserver([&](const TCommStatusState&) {
    try {
      if (refused.empty()) server->Connect("");
    } catch (const std::exception& e) {
      refused = e.what();
    }
  });
  ASSERT_TRUE(Get("LST", dir / "LST.zq"));
  host.SetProgressObserver(nullptr);
  EXPECT_NE(refused.find("A transfer is running"), std::string::npos);
  ASSERT_TRUE(Put("LST2", dir / "LST.zq"));
  EXPECT_EQ(DumpLine("LST2"), DumpLine("LST"));
  host.SetTextMode(true);
  ASSERT_TRUE(Get("PROG", dir / "PROG.txt"));
  ASSERT_TRUE(Put("PROG2", dir / "PROG.txt"));
  EXPECT_EQ(DumpLine("PROG2"), DumpLine("PROG"));
}

TEST(DisplayName, TheFileNamePartWithoutAnExtensionOfExactlyZqOrTxt) {
  // name, file, alternative file, shown name; ".zq" alone is a hidden file without an extension.
  for (const auto& [name, file, alt, shown] : std::vector<std::array<std::string, 4>>{
           {"NAME", "/tmp/x/FILE.zq", "/other/ALT.zq", "ALT"}, {"NAME", "/tmp/x/FILE.zq", "", "FILE"},
           {"NAME", "", "", "NAME"}, {"X", "X.txt", "", "X"}, {"X", "X.ZQ", "", "X.ZQ"}, {"X", "X.TXT", "", "X.TXT"},
           {"X", "X.zqbackup", "", "X.zqbackup"}, {"X", "/a.zq/X.tar.zq", "", "X.tar"}, {"X", "/tmp/.zq", "", ".zq"}})
    EXPECT_EQ(TXModemServer::DisplayName(name, file, alt), shown) << file;
}

TEST_F(Objects, OnlyFilesTooShortOrDeclinedAreRefusedAndTextsWithOrWithoutHeadersGo) {
  Start();
  ASSERT_TRUE(Get("A", dir / "A.zq"));
  const std::string good = Slurp(dir / "A.zq");
  std::ofstream(dir / "short.zq", std::ios::binary) << good.substr(0, good.size() - 3);
  std::ofstream(dir / "header.zq", std::ios::binary) << good.substr(0, 9);
  std::ofstream(dir / "garbage.bin", std::ios::binary) << "\x01\x02garbage";
  std::ofstream(dir / "old71.zq", std::ios::binary) << "ZQZQ71-R" << good.substr(8);
  const std::string before = Dump();
  EXPECT_THROW(Put("X", dir / "missing.zq"), TCommError);
  EXPECT_FALSE(Put("X", dir / "short.zq"));   // a Real needs 21 nibbles
  EXPECT_FALSE(Put("X", dir / "header.zq"));  // no room for a prolog
  ASSERT_FALSE(host.Messages().empty());
  EXPECT_EQ(host.Messages().back().second, "X\r\n\r\nis not a whole calculator object and was not sent.\r\n");
  EXPECT_FALSE(Put("X", dir / "garbage.bin"));  // declined by the default answer
  EXPECT_EQ(Dump(), before);

  // A file kept with its transfer padding after its length could not be
  // found goes as it is, and so does a file without the binary header that the
  // person chose to send as binary.
  std::ofstream(dir / "padded.zq", std::ios::binary) << UnknownObjectFile() << std::string(40, '\x1A');
  EXPECT_TRUE(Put("PADDED", dir / "padded.zq"));
  EXPECT_TRUE(DumpLine("PADDED").starts_with("? ")) << DumpLine("PADDED");
  host.SetBadFilePolicy([](const std::string&, const std::string&) { return kModalBinary; });
  EXPECT_TRUE(Put("RAW", dir / "garbage.bin"));

  std::string report;
  host.SetBadFilePolicy([&](const std::string&, const std::string& text) { return report = text, kModalBinary; });
  EXPECT_TRUE(Put("OLD", dir / "old71.zq"));
  EXPECT_NE(report.find("is a ZQ71 file and does not match the calculator."), std::string::npos);
  EXPECT_NE(report.find("Do you wish to continue?"), std::string::npos);
  EXPECT_EQ(DumpLine("OLD"), "Real 11 42.");

  // A long text whose transfer fails reports the link failure. The purge of
  // the scratch variable and the put command are the first two packets; the
  // first block is then refused until the PC gives up.
  std::ofstream(dir / "long.txt", std::ios::binary) << kTextHeader + "\"" + std::string(400, 'x') + "\"\n";
  ASSERT_EQ(sim->Control("fault nak:6@+3"), "ok");
  EXPECT_EQ(test::ErrorOf([&] { Put("LONG", dir / "long.txt"); }), "Connection Error.\r\nPlease check your connections.");
  for (const auto& [caption, text] : host.Messages()) EXPECT_EQ(text.find("is not a valid text"), std::string::npos);
  EXPECT_FALSE(host.Connected());
  server->Connect(sim->PcPath());
  EXPECT_EQ(DumpLine("LONG"), "");

  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return dir / name;
  };
  EXPECT_TRUE(Put("R1", write("r1.txt", "%%ZQ: T(3)A(R)F(,);\r\n\\<< 2,5 \\>>\r\n")));
  EXPECT_EQ(DumpLine("R1"), "RPL 16 \\<< 2.5 \\>>");
  EXPECT_TRUE(LogHas("RAD -51 SF -55 CF"));
  // Without a header the file is no object file: sent as text when asked to.
  host.SetBadFilePolicy([](const std::string&, const std::string&) { return kModalText; });
  EXPECT_TRUE(Put("R2", write("r2.txt", "{ 1 2 3 }")));
  EXPECT_EQ(DumpLine("R2"), "List 37 { 1. 2. 3. }");
  // An empty body is refused with a warning and sends nothing.
  EXPECT_FALSE(Put("EMPTY", write("empty.txt", kTextHeader + "   \n")));
  ASSERT_FALSE(host.Messages().empty());
  EXPECT_EQ(host.Messages().back().first, "Warning");
  EXPECT_EQ(DumpLine("EMPTY"), "");

  int asked = 0;
  host.SetReplacePolicy([&](const std::string&, const std::string&) { return ++asked, kModalNo; });
  EXPECT_TRUE(Put("PI2", dir / "A.zq"));  // binary with -36 clear: no question, replaced
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(DumpLine("PI2"), "Real 11 42.");
  EXPECT_TRUE(Put("PI2", write("t.txt", kTextHeader + "7")));  // text: asked, "No" skips
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(DumpLine("PI2"), "Real 11 42.");
  server->Channel().Execute("-36 SF", true, true);
  server->Connect(sim->PcPath());
  EXPECT_TRUE(Put("PI2", dir / "A.zq"));
  EXPECT_EQ(asked, 2);
}

// A text get interrupted in a folder leaves its scratch variable there; the
// next connection purges it. An object of a type the table lacks goes both
// ways byte exact, and so do a backup and restore of the memory holding it.
TEST_F(Objects, AScratchVariableLeftIsPurgedAnUnknownTypeAndABackupAreByteExact) {
  const std::string original = UnknownObjectFile();
  ASSERT_EQ(original.size(), 256u);
  const std::string memory = dir / "memory";  // the unknown object as ODD and a Real as A and WORK/B
  std::filesystem::create_directories(memory + "/WORK/DEEP");
  std::ofstream(memory + "/ODD.zq", std::ios::binary) << original;
  std::ofstream(memory + "/A.zq", std::ios::binary) << kRealFile;
  std::ofstream(memory + "/WORK/B.zq", std::ios::binary) << kRealFile;
  Start({"--memory", memory, "--model", "71GII"});  // its own speed is the fast line's
  server->ChangeDir("HOME WORK");
  host.SetTextMode(true);
  ASSERT_EQ(sim->Control("fault can@+1"), "ok");  // the calculator cancels the fetch of the scratch variable
  EXPECT_FALSE(server->GetToFile("B", dir / "B.txt", 32, 11));
  ASSERT_NE(Dump().find("HOME/WORK/$$$t "), std::string::npos);
  // The calculator is turned off and on: it starts again in HOME.
  sim->Stop();
  Start({"--memory", memory, "--model", "71GII"});
  const std::string dump = Dump();
  EXPECT_EQ(dump.find("$$$t"), std::string::npos) << dump;
  EXPECT_NE(dump.find("HOME/WORK/B Real"), std::string::npos) << dump;
  // The calculator's current folder is the one it had.
  server->Channel().Execute("PATH '$$$p' STO", true, true);
  EXPECT_NE(Dump().find("HOME/$$$p List"), std::string::npos) << Dump();

  host.SetTextMode(false);
  ASSERT_NE(Item("ODD"), nullptr);
  EXPECT_EQ(Item("ODD")->Size, 248);  // the listing's size holds, not the 5 nibbles of a pointer
  ASSERT_TRUE(Get("ODD", dir / "ODD.zq"));
  EXPECT_EQ(Slurp(dir / "ODD.zq"), original);
  // With no size known, every byte received is kept.
  ASSERT_TRUE(server->GetObject("ODD", "", 0));
  EXPECT_EQ(server->LastData().substr(0, original.size()), original);
  ASSERT_TRUE(Put("ODD2", dir / "ODD.zq"));
  server->ListAll(home);
  ASSERT_NE(Item("ODD2"), nullptr);
  EXPECT_EQ(Item("ODD2")->Size, 248);
  ASSERT_TRUE(Get("ODD2", dir / "ODD2.zq"));
  EXPECT_EQ(Slurp(dir / "ODD2.zq"), original);

  const std::string before = Dump();
  ASSERT_TRUE(server->Backup(dir / "odd.zqbackup", home.TotalSize()));
  std::string backup;
  ASSERT_TRUE(server->TakeReceivedObject(backup));  // the backup object itself is a known type
  int error = 0;
  ASSERT_TRUE(WriteFileSafely(dir / "odd.zqbackup", backup, error));
  EXPECT_EQ(Dump(), before) << "fLaG is gone again";
  server->Connect("");
  std::filesystem::create_directories(dir / "empty");
  Start({"--memory", dir / "empty"});
  EXPECT_EQ(Dump(), "");
  ASSERT_TRUE(server->Restore(dir / "odd.zqbackup"));
  sim->Control("server");  // the person starts the server again
  server->Connect(sim->PcPath());
  server->ListAll(home);
  ASSERT_TRUE(Get("ODD2", dir / "back.zq"));
  EXPECT_EQ(Slurp(dir / "back.zq"), original);
  std::string restored = Dump();
  const std::size_t flag = restored.find("HOME/fLaG ");
  ASSERT_NE(flag, std::string::npos);
  restored.erase(flag, restored.find('\n', flag) - flag + 1);
  EXPECT_EQ(restored, before);
}

TEST_F(Objects, ScreenManualTransfersAndTheRomLoader) {
  int ignoredError = 0;
  TSessionFixture::Start({"--server", "off"});
  ASSERT_TRUE(server->OpenDirect(sim->PcPath()));
  for (const auto& [layout, size] : {std::pair{"page", 1081u}, {"header", 1094u}, {"legacy", 1094u}}) {
    host.SetPromptVisible(true);
    sim->Control(std::string("screen ") + layout);
    std::string image;
    server->CaptureScreen(image);
    EXPECT_EQ(image.size(), size) << layout;
  }
  host.SetPromptVisible(false);
  std::string none;
  server->CaptureScreen(none);  // cancelled before the calculator began
  EXPECT_TRUE(none.empty());

  ASSERT_TRUE(WriteFileSafely(dir / "A.zq", kRealFile, ignoredError));
  host.SetPromptVisible(true);
  sim->Control("xrecv NEWA");
  EXPECT_TRUE(server->ManualSend(dir / "A.zq"));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(sim->Control("status"), "ok stored NEWA");

  sim->Control("xsend A");
  EXPECT_TRUE(server->ManualReceive(dir / "A2.zq", 0));
  std::string got = server->LastData();
  ASSERT_TRUE(TrimObject(got).success);
  EXPECT_EQ(got, Slurp(dir / "A.zq"));

  std::string rom;
  for (int i = 0; i < 5000; ++i) rom += static_cast<char>(i * 7);
  ASSERT_TRUE(WriteFileSafely(dir / "rom.bin", rom, ignoredError));
  sim->Control("rom");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the loader is started before OK is pressed
  host.SetPromptVisible(false);
  EXPECT_TRUE(server->SendRom(dir / "rom.bin"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  char crc[8];
  std::snprintf(crc, sizeof crc, "%04X", CrcArc16(rom));
  EXPECT_EQ(sim->Control("status"), std::string("ok rom 5000 bytes crc ") + crc);
  EXPECT_FALSE(server->Channel().Link().IsOpen()) << "the ROM stream closes the link";
}

}  // namespace
}  // namespace bridgit

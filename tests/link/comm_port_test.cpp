#include <gtest/gtest.h>
#include <termios.h>

#include <fstream>
#include <future>
#include <thread>

#include "base/log.h"
#include "link/comm_error.h"
#include "link/tty_link.h"
#include "link/serial_device.h"
#include "link/transfer_files.h"
#include "support/log_lines.h"
#include "support/patterned_bytes.h"
#include "support/pty_pair.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace bridgit {
namespace {

bool LogHas(const std::string& prefix) { return test::LogCount(prefix) > 0; }

class SerialLink : public ::testing::Test {
 protected:
  void SetUp() override { TLogBook::Instance().Clear(); }
  void TearDown() override { link.CloseComm(); }
  // Reads into `buf` while another thread writes `bytes`: the count read.
  int ReadWhileWriting(const std::string& bytes, std::string& buf) {
    std::thread writer([&] { pty.Write(bytes); });
    const int n = link.ReadComm(buf, 0);
    writer.join();
    return n;
  }
  // Whether another opening could have the port to itself.
  bool Free() {
    std::string error;
    const int fd = posix::OpenExclusive(pty.path(), O_RDWR, error);
    posix::CloseFd(fd);
    return fd >= 0;
  }
  test::TRecordingHost host;
  TTtyLink link{host};
  test::TPtyPair pty;
};

TEST_F(SerialLink, OpensRawAtTheSpeedAndPicksTheProfile) {
  link.OpenComm(pty.path(), 9600);
  EXPECT_TRUE(host.Connected());
  EXPECT_TRUE(LogHas("CreateFile for " + pty.path()));
  EXPECT_TRUE(LogHas("SetCommState for " + pty.path()));
  EXPECT_EQ(link.Timing().AfterCommandPacket, 400u);  // the slow line's profile
  EXPECT_EQ(link.Timing().AfterTransferError, 1000u);

  termios t{};
  ASSERT_EQ(tcgetattr(pty.slave(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
  EXPECT_TRUE(t.c_cflag & CREAD);
  EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_FALSE(t.c_oflag & OPOST);
  EXPECT_EQ(link.ReadConstantMs(), 3000);  // opened with the long preset
  std::string error;
  EXPECT_LT(posix::OpenExclusive(pty.path(), O_RDWR, error), 0);
  EXPECT_EQ(error, "the port is in use");

  link.ChangeSpeed(115200);
  ASSERT_EQ(tcgetattr(pty.slave(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));
  EXPECT_TRUE(LogHas("Changing speed to 115200"));
  for (const auto& [speed, baud] : {std::pair<int, speed_t>{1200, B1200}, {2400, B2400}, {4800, B4800}, {19200, B19200},
                                     {38400, B38400}, {57600, B57600}, {230400, B230400}, {460800, B460800}, {921600, B921600}}) {
    link.ChangeSpeed(speed);
    ASSERT_EQ(tcgetattr(pty.slave(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), baud) << speed;
  }

  link.CloseComm();
  EXPECT_TRUE(Free()) << "closing releases the port";
  link.CloseComm();  // on a closed link: nothing
  link.OpenComm(pty.path(), 19200);
  EXPECT_EQ(link.Timing().AfterCommandPacket, 100u);  // above 9600: the fast one
}

TEST_F(SerialLink, ReadsAndWritesLongReadsInChunksUntilTheLineGoesQuiet) {
  link.OpenComm(pty.path(), 115200);
  link.SetShortTimeouts();
  EXPECT_EQ(link.ReadConstantMs(), 100);
  link.WriteComm("M\x06");
  EXPECT_EQ(pty.Read(2), "M\x06");

  pty.Write(std::string(40, 'x'));
  std::string buf(100, '\xFF');
  EXPECT_EQ(link.ReadComm(buf, 0), 40);
  EXPECT_EQ(buf, std::string(40, 'x') + std::string(60, '\0'));
  EXPECT_TRUE(LogHas("**** ReadComm returning partial string"));

  TLogBook::Instance().Clear();
  std::string nothing(5, '\xFF');
  EXPECT_EQ(link.ReadComm(nothing, 0), 0);
  EXPECT_EQ(nothing, std::string(5, '\0'));
  EXPECT_EQ(TLogBook::Instance().LineCount(), 0u);

  // Long reads come in chunks and end when the line goes quiet.
  const std::string data = test::Patterned(3000);
  std::string whole(3000, '\0');
  const auto callsBefore = link.ReadCalls();
  EXPECT_EQ(ReadWhileWriting(data, whole), 3000);
  EXPECT_EQ(whole, data);
  EXPECT_EQ(link.ReadCalls() - callsBefore, 2u);  // 2038 + 962

  // The calculator stops after 2500 bytes: the read ends with what came.
  std::string partial(3000, '\xFF');
  EXPECT_EQ(ReadWhileWriting(data.substr(0, 2500), partial), 2500);
  EXPECT_EQ(partial.substr(0, 2500), data.substr(0, 2500));
  EXPECT_EQ(partial.substr(2500), std::string(500, '\0'));

  // Lengths between one chunk and the driver queue size are readable whole.
  std::string two(2040, '\0');
  EXPECT_EQ(ReadWhileWriting(std::string(2040, 'p'), two), 2040);
}

// On a quiet port two reads; pending input goes, output just written leaves.
TEST_F(SerialLink, ClearInputDiscardsPendingInputButLetsOutputLeave) {
  link.OpenComm(pty.path(), 115200);
  const auto before = link.ReadCalls();
  link.ClearInput();
  EXPECT_EQ(link.ReadCalls() - before, 2u);
  EXPECT_TRUE(LogHas("Clearing input stream  {"));
  EXPECT_TRUE(LogHas("}  Clear completed"));
  EXPECT_EQ(link.ReadConstantMs(), 3000) << "time-outs restored";
  pty.Write("stale bytes");
  link.WriteComm(std::string(3, '\x18'));  // cancel bytes just written
  link.ClearInput();
  EXPECT_EQ(pty.Read(3), std::string(3, '\x18'));
  link.SetShortTimeouts();
  std::string buf(4, '\0');
  EXPECT_EQ(link.ReadComm(buf, 0), 0);
}

TEST_F(SerialLink, AWriteToAVanishedPeerEndsInTheFatalPath) {
  link.OpenComm(pty.path(), 115200);
  std::string error;
  test::TTempDir dir;
  auto file = TTransferFile::CreateForWriting(dir / "receiving", error);
  ASSERT_TRUE(file);
  SetTransferFile(TTransferDirection::kReceive, file);
  pty.CloseMaster();
  try {
    link.WriteComm("hello");
    FAIL() << "no error";
  } catch (const TConnectionError& e) {
    EXPECT_STREQ(e.what(), "Connection Error.\r\nPlease check your connections.");
  }
  EXPECT_TRUE(LogHas("Serious error, disconnecting"));
  EXPECT_FALSE(host.Connected());
  EXPECT_EQ(host.focusCalls, 1);
  EXPECT_FALSE(file->IsOpen());
  EXPECT_FALSE(file->WriteAll("x", 1));
  ClearTransferFile(TTransferDirection::kReceive);
}

TEST_F(SerialLink, TheFatalPathOnAWorkerThreadDoesItsWindowStepsOnTheUiThread) {
  link.OpenComm(pty.path(), 115200);
  std::atomic<bool> raised{false};
  std::thread worker([&] {
    try {
      link.FatalDisconnect();
    } catch (const TConnectionError&) {
      raised = true;
    }
  });
  host.HandOver().ServeUntil([&] { return raised.load(); }, 5000);
  worker.join();
  EXPECT_TRUE(raised);
  EXPECT_FALSE(host.Connected());
  EXPECT_EQ(host.connectedChangedOn, std::this_thread::get_id());
}

TEST_F(SerialLink, BadPortsFailCleanly) {
  test::TTempDir dir;
  std::ofstream(dir / "plain-file") << "not a port";
  // Each bad port ends in the fatal path with a line that names the cause.
  for (const auto& [port, cause] : std::vector<std::pair<std::string, std::string>>{
           {dir / "no-such-port", "No such file or directory"}, {dir / "plain-file", "Inappropriate ioctl"},
           {dir.path().string(), "Is a directory"}}) {
    TLogBook::Instance().Clear();
    EXPECT_THROW(link.OpenComm(port, 9600), TConnectionError) << port;
    EXPECT_TRUE(LogHas("Serious error, disconnecting"));
    EXPECT_GT(test::LogCountHolding(cause), 0) << port;
    EXPECT_FALSE(link.IsOpen());
  }
  // A speed the line cannot do.
  TLogBook::Instance().Clear();
  EXPECT_THROW(link.OpenComm(pty.path(), 12345), TConnectionError);
  EXPECT_TRUE(LogHas("SetCommState failed"));
  EXPECT_TRUE(Free()) << "a failed set-up does not keep the port";
  EXPECT_FALSE(host.Connected());
}

// The pauses of each profile, in the order of their fields.
TEST(LinkTiming, EveryProfileKeepsItsPauses) {
  const auto fields = [](const TLinkTiming& t) {
    return std::vector<std::uint32_t>{t.AfterCommandChar, t.BeforePacketReply, t.AfterCommandPacket, t.AfterPacketReceived,
                                      t.PulseLimit,       t.BeforeReceive,     t.BeforeSend,         t.AfterReceive,
                                      t.AfterSend,        t.AfterStore,        t.AfterPulse,         t.AfterTransferError,
                                      t.BeforeBackupReceive, t.BeforeDirList};
  };
  using V = std::vector<std::uint32_t>;
  EXPECT_EQ(fields(SerialSlow), (V{1, 10, 400, 200, 9000, 1, 1, 100, 10, 1, 100, 1000, 300, 1}));
  EXPECT_EQ(fields(SerialSlowNewer), (V{1, 10, 400, 200, 9000, 1, 1, 100, 10, 1, 100, 1000, 300, 1}));
  EXPECT_EQ(fields(SerialFast), (V{1, 10, 100, 50, 9000, 1, 1, 50, 10, 1, 100, 100, 300, 1}));
  EXPECT_EQ(fields(Usb), (V{1, 10, 100, 50, 9000, 1, 1, 50, 10, 1, 50, 100, 300, 1}));
}

}  // namespace
}  // namespace bridgit

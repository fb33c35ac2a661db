// The session's wire format against a scripted calculator on a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "base/clock.h"
#include "link/memory_link.h"
#include "session/flag_list.h"
#include "session/xmodem_server.h"
#include "support/error_of.h"
#include "support/log_lines.h"
#include "support/recording_host.h"
#include "transfer/block_checks.h"

using namespace std::string_literals;

namespace bridgit {
namespace {

using test::LogCount;

class Packets : public ::testing::Test {
 protected:
  void SetUp() override {
    TLogBook::Instance().Clear();
    auto [pc, calculator] = TMemoryLink::Pair(host, calculatorHost);
    calc = std::move(calculator);
    server = std::make_unique<TXModemServer>(host, std::move(pc));
    server->Channel().Link().OpenComm("memory", 115200);
    server->Channel().SetPortName("memory");
  }
  void TearDown() override {
    // Each answer, reply and block is waited for within one time-out.
    for (int asked : static_cast<TMemoryLink&>(server->Channel().Link()).TimeoutsAsked()) EXPECT_EQ(asked, 2500);
    server.reset();
  }
  // Runs the session step while the calculator plays its part on a thread.
  void WithCalculator(const std::function<void()>& calculator, const std::function<void()>& step) {
    const std::jthread peer(calculator);  // joined however the step ends
    step();
  }
  // Built here, not by the pty peer: this test runs on Windows too.
  static std::string Packet(const std::string& payload) {
    std::string p{static_cast<char>(payload.size() >> 8), static_cast<char>(payload.size() & 0xFF)};
    return p + payload + static_cast<char>(Checksum8(payload));
  }
  test::TRecordingHost host;
  test::TRecordingHost calculatorHost;
  std::unique_ptr<TMemoryLink> calc;  // the calculator's end of the line
  std::unique_ptr<TXModemServer> server;
};

TEST_F(Packets, OneStrayNulBeforeTheAckIsSkippedTwoAreAFailure) {
  WithCalculator([&] {
    calc->Take(4, 2000);
    calc->WriteComm(std::string("\x00\x06", 2));
  }, [&] { server->Channel().SendCommandPacket("x"); });
  EXPECT_EQ(LogCount("Tx Cmnd Packet Error"), 0);

  int sends = 0;
  WithCalculator([&] {
    calc->Take(4, 2000);
    ++sends;
    calc->WriteComm(std::string("\x00\x00", 2));
    calc->Take(4, 2000);  // sent again
    ++sends;
    calc->WriteComm("\x06");
  }, [&] { server->Channel().SendCommandPacket("x"); });
  EXPECT_EQ(sends, 2);
  EXPECT_EQ(LogCount("Tx Cmnd Packet Error. Rcvd len=1 c=0x00 #1"), 1);
}

// Five damaged answers are asked for again; the sixth ends the session.
TEST_F(Packets, AnswersAreCheckedAndAcknowledged) {
  host.SetConnected(true);
  const std::string text(260, '5');  // more than a size byte holds
  std::string bad = Packet(text);
  bad.back() = static_cast<char>(bad.back() + 1);
  std::string replies;
  std::string got;
  WithCalculator([&] {
    for (int i = 0; i < 5; ++i) {
      calc->WriteComm(bad);
      replies += calc->Take(1, 5000);
    }
    calc->WriteComm(Packet(text));
    replies += calc->Take(1, 5000);
  }, [&] { got = server->Channel().ReceiveCommandPacket(); });
  EXPECT_EQ(got, text);
  EXPECT_EQ(replies, "\x15\x15\x15\x15\x15\x06");
  EXPECT_EQ(LogCount("CRC problem "), 5);
  EXPECT_EQ(LogCount("CRC ok "), 1);
  EXPECT_EQ(LogCount("Rx Cmnd Packet Error #5"), 1);
  EXPECT_TRUE(host.Connected());

  WithCalculator([&] {
    calc->WriteComm(Packet(""));
    calc->Take(1, 2000);
  }, [&] { got = server->Channel().ReceiveCommandPacket(); });
  EXPECT_EQ(got, "");

  replies.clear();
  std::string error;
  WithCalculator([&] {
    for (int i = 0; i < 6; ++i) {
      calc->WriteComm(bad);
      replies += calc->Take(1, 5000);
    }
  }, [&] { error = test::ErrorOf([&] { server->Channel().ReceiveCommandPacket(); }); });
  EXPECT_EQ(error, "Connection Error.\r\nPlease check your connections.");
  EXPECT_EQ(replies, std::string(6, '\x15'));
  EXPECT_FALSE(host.Connected());
}

TEST_F(Packets, AnAnswerInPiecesIsWholeAndAShortOneIsRefused) {
  std::string replies;
  std::string got;
  const std::string packet = Packet("{ 1. 2. }");
  WithCalculator([&] {
    // A slow calculator: the length bytes and the payload trickle in.
    for (char c : packet) {
      calc->WriteComm(std::string(1, c));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    replies += calc->Take(1, 5000);
  }, [&] { got = server->Channel().ReceiveCommandPacket(); });
  EXPECT_EQ(got, "{ 1. 2. }");
  EXPECT_EQ(replies, "\x06");

  server->Channel().Link().SetShortTimeouts();
  replies.clear();
  WithCalculator([&] {
    // Says 9 bytes and sends 4: refused once the line goes quiet, then sent whole.
    calc->WriteComm(packet.substr(0, 6));
    replies += calc->Take(1, 10000);
    calc->WriteComm(packet);
    replies += calc->Take(1, 5000);
  }, [&] { got = server->Channel().ReceiveCommandPacket(); });
  EXPECT_EQ(got, "{ 1. 2. }");
  EXPECT_EQ(replies, "\x15\x06");
  EXPECT_EQ(LogCount("cannot get the command packet"), 1);
}

TEST_F(Packets, ACommandTooLongForAPacketIsRefusedBeforeAnythingIsSent) {
  host.SetConnected(true);
  const std::string command(65536, 'a');
  EXPECT_NE(test::ErrorOf([&] { server->Channel().Execute(command, false, false); }).find("too long"), std::string::npos);
  server->Channel().Link().SetShortTimeouts();
  EXPECT_EQ(calc->Take(1, 200), "");  // not even the E
  // 65535 bytes are the most a packet says: that one goes out whole.
  std::string wire;
  WithCalculator([&] {
    wire = calc->Take(2 + 65535 + 1, 20000);
    calc->WriteComm("\x06");
  }, [&] { server->Channel().SendCommandPacket(std::string(65535, 'a')); });
  ASSERT_EQ(wire.size(), 65538u);
  EXPECT_EQ(wire.substr(0, 3), "\xFF\xFF" "a");
}

// A command is its letter, logged first, then its packet: decoded, its size
// in two bytes (300 needs both) and checksummed.
TEST_F(Packets, ACommandIsItsLetterThenItsPacket) {
  host.SetConnected(true);
  const std::string decoded = "\x8DX \\ " + std::string(295, 'a');
  std::string wire;
  const TTickMs paused = PausedMsTotal();
  WithCalculator([&] {
    wire = calc->Take(1 + 2 + 300 + 1, 2000);
    calc->WriteComm("\x06");
  }, [&] { server->Channel().Execute("\\->X \\\\ " + std::string(295, 'a'), false, false); });
  EXPECT_EQ(PausedMsTotal() - paused, 1 + 10 + 100) << "after the letter, before the reply, after the packet";
  EXPECT_EQ(wire, "E\x01\x2C" + decoded + static_cast<char>(Checksum8(decoded)));
  const auto& lines = TLogBook::Instance().Lines();
  const auto at = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
  EXPECT_LT(at("send command = E"), at("command packet = '" + decoded + "'"));
}

TEST_F(Packets, ThePulseTakesTheFirstAnswerAndDrainsTheRest) {
  std::string acks;
  TTickMs start = 0, third = 0;
  WithCalculator([&] {
    // Deaf for three M letters, then it answers all three at once.
    for (int i = 0; i < 3; ++i) calc->Take(1, 2000);
    third = TickCount();
    calc->WriteComm(Packet("123.") + Packet("123.") + Packet("123."));
    acks = calc->Take(3, 3000);
  }, [&] { start = TickCount(); server->Channel().Pulse(); });
  EXPECT_EQ(acks, "\x06\x06\x06");
  EXPECT_GE(third - start, 2 * 210) << "one letter each 210 ms";
  EXPECT_EQ(LogCount("Begin pulse  {"), 1);
  EXPECT_EQ(LogCount("}  End pulse"), 1);
  // Nothing of the answers is left to confuse the next exchange.
  server->Channel().Link().SetShortTimeouts();
  std::string rest(8, '\0');
  EXPECT_EQ(server->Channel().Link().ReadComm(rest, 2500), 0);
}

TEST_F(Packets, APulseAnsweredAtOnceLooksForNoLateAnswers) {
  std::string wire;
  WithCalculator([&] {
    wire = calc->Take(1, 2000);  // the M
    calc->WriteComm(Packet("123."));
    wire += calc->Take(8, 1500);  // what the PC writes afterwards
  }, [&] { server->Channel().Pulse(); });
  // One letter, one answer, one ACK: no waits for answers that cannot come.
  EXPECT_EQ(wire, "M\x06");
}

TEST_F(Packets, ListingParser) {
  TXPObject home;
  home.Name = "HOME";
  auto entry = [](const std::string& name, std::uint16_t code, std::uint32_t nibbles, unsigned char high = 0) {
    std::string e(1, static_cast<char>(name.size()));
    e += name;
    e += static_cast<char>(code & 0xFF);
    e += static_cast<char>(code >> 8);
    e += static_cast<char>(nibbles & 0xFF);
    e += static_cast<char>((nibbles >> 8) & 0xFF);
    e += static_cast<char>(((nibbles >> 16) & 0x0F) | high);
    return e + std::string(2, '\0');
  };
  const std::string data = entry("D", 0x2A96, 13) + "\0"s + entry("\x8DX", 0x2933, 21) + entry("BIG", 0x2A2C, 0x0F0000, 0xF0) +
                           entry("ODD", 0x1234, 10) + entry("CUT", 0x2933, 21).substr(0, 6);
  std::size_t pos = 0;
  server->ParseListing(home, data, pos);
  // Name, type, size, odd nibble, whether a folder and what it holds.
  std::string entries;
  for (const auto& c : home.Children)
    entries += c->Name + " " + c->TypeName + " " + std::to_string(c->Size) + " " + std::to_string(c->OddNibble) + " " +
               std::to_string(c->IsDirectory()) + " " + std::to_string(c->Children.size()) + "; ";
  EXPECT_EQ(entries, "D Directory 7 1 1 0; \\->X Real 11 1 0 0; BIG String 491520 0 0 0; ODD  5 0 0 0; ");
  EXPECT_EQ(pos, data.size());
  EXPECT_EQ(LogCount("Directory listing cut off inside an entry"), 1);
  EXPECT_EQ(home.TotalSize(), 100 + 7 + 11 + 983040 / 2 + 5);
}

TEST(FlagList, Digits) {
  EXPECT_EQ(ParseFlagList("{ 0. 1. }", 2), "01");
  EXPECT_EQ(ParseFlagList("{ 1 0 }", 2), "10");
  EXPECT_EQ(ParseFlagList("{ 1, 0, 1, 1, 1, }", 2), "10");
  EXPECT_EQ(ParseFlagList("{ 1. 0. 0. 1. }Version", 4), "1001");
  EXPECT_EQ(ParseFlagList("", 2), "00");
}

}  // namespace
}  // namespace bridgit

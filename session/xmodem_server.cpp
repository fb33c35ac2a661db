#include "session/xmodem_server.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/clock.h"
#include "base/log.h"
#include "calcdata/escapes.h"
#include "link/comm_error.h"
#include "link/comm_port.h"
#include "link/texts.h"
#include "session/texts.h"
#include "transfer/command_packet.h"
#include "transfer/transfer_thread.h"
#include "transfer/xmodem_frame.h"

namespace bridgit {

namespace {

using xmodem::ACK;
using xmodem::NAK;
constexpr int kReplyTimeoutMs = 2500;
constexpr int kPacketErrorLimit = 5;
constexpr int kSizeMissLimit = 4;
constexpr int kPulseDrainReads = 2;
constexpr TTickMs kPulseIntervalSerialMs = 210;
constexpr TTickMs kPulseIntervalUsbMs = 170;
// While "Calculator is Working" is up, the user decides: the limit moves this far.
constexpr TTickMs kPulseDialogGraceMs = 1000000;
// After the first answer the USB pulse drains the late answers to M letters
// still on their way: two at most, each at most 2 + 255 + 1 bytes, arriving
// within a few 80 ms read slices. A device that sends more, or for longer, is
// not finishing its answers, and the link is given up.
constexpr std::uint32_t kPulseDrainMaxBytes = 1024;
constexpr TTickMs kPulseDrainMaxMs = 2000;

}  // namespace

TXModemServer::TXModemServer(TSessionHost& host, std::unique_ptr<TLink> link)
    : host_(host), link_(link ? std::move(link) : std::make_unique<TCommPort>(host)) {
  link_->CloseComm();
  PortName.clear();
  host_.SetTextMode(false);
  progressDialog_ = host_.CreateCommStatusDialog();
}

TXModemServer::~TXModemServer() {
  try {
    Connect("");
  } catch (...) {
  }
}

void TXModemServer::SendCommandChar(char letter) {
  Log(std::string(texts::kLogSendCommand) + letter);
  link_->WriteComm(std::string(1, letter));
  SleepMs(link_->Timing().AfterCommandChar);
}

void TXModemServer::SendCommandPacket(const std::string& text) {
  std::string payload;
  const std::string packet = PacketFor(text, payload);
  Log(std::string(texts::kLogCommandPacket) + payload + "'");
  SendPacket(packet);
}

std::string TXModemServer::PacketFor(const std::string& text, std::string& payload) {
  payload = DecodeEscapes(text, TEscapeMode::kBackslash);
  const std::optional<std::string> packet = EncodeCommandPacket(payload);
  if (!packet) RaiseCommError(std::string(texts::kCommandTooLong));
  return *packet;
}

void TXModemServer::SendPacket(const std::string& packet) {
  for (int errors = 0;;) {
    link_->WriteComm(packet);
    SleepMs(link_->Timing().BeforePacketReply);
    std::string reply(1, '\0');
    int got = link_->ReadComm(reply, kReplyTimeoutMs);
    if (got == 1 && reply[0] == '\0') got = link_->ReadComm(reply, kReplyTimeoutMs);  // one stray NUL is skipped
    if (reply[0] == ACK) break;
    ++errors;
    Log(std::string(texts::kLogTxPacketError) + std::to_string(got) + " c=0x" +
        Hex2(static_cast<unsigned char>(reply[0])) + " #" + std::to_string(errors));
    if (errors > kPacketErrorLimit) link_->FatalDisconnect();
    SetStatus(std::string(texts::kConnectionError));
    link_->ClearInput();
  }
  SleepMs(link_->Timing().AfterCommandPacket);
}

bool TXModemServer::ReadPacketOnce(std::string& payload) {
  using TPart = TCommandPacketParser::TPart;
  TCommandPacketParser parser;
  // The two length bytes, one at a time, with at most 4 misses over both.
  for (int misses = 0; parser.Part() == TPart::kSize;) {
    if (misses >= kSizeMissLimit) {
      Log(texts::kLogNoPacketSize);
      return false;
    }
    std::string byte(1, '\0');
    if (link_->ReadComm(byte, kReplyTimeoutMs) == 1)
      parser.Feed(byte);
    else
      ++misses;
  }
  Log(std::string(texts::kLogGotPacketSize) + std::to_string(parser.Size()));
  if (parser.Part() == TPart::kPayload) {
    std::string bytes(parser.Needed(), '\0');
    const int got = link_->ReadComm(bytes, kReplyTimeoutMs);
    parser.Feed(std::string_view(bytes).substr(0, static_cast<std::size_t>(std::max(got, 0))));
    if (parser.Part() != TPart::kCheck) {
      Log(texts::kLogNoPacket);
      return false;
    }
  }
  Log(std::string(texts::kLogGotPacket) + std::to_string(parser.Size()) + ")");
  std::string check(1, '\0');
  if (link_->ReadComm(check, kReplyTimeoutMs) == 1) parser.Feed(check);
  Log(parser.Good() ? texts::kLogCrcOk : texts::kLogCrcProblem);
  if (!parser.Good()) return false;
  payload = parser.Payload();
  return true;
}

std::string TXModemServer::ReceiveCommandPacket() {
  for (int errors = 0;;) {
    std::string payload;
    if (ReadPacketOnce(payload)) {
      link_->WriteComm(std::string(1, ACK));
      SleepMs(link_->Timing().AfterPacketReceived);
      return payload;
    }
    link_->ClearInput();
    ++errors;
    Log(std::string(texts::kLogRxPacketError) + std::to_string(errors));
    link_->WriteComm(std::string(1, NAK));
    if (errors > kPacketErrorLimit) link_->FatalDisconnect();
  }
}

void TXModemServer::PulseIdle() {
  host_.ProcessMessages();
  host_.ProcessMessages();
  if (host_.CommandCancelled()) {
    host_.ResetCommandCancel();
    host_.SetConnected(false);
    link_->FatalDisconnect();
  }
}

// The M letters of one pulse: one each interval until the calculator answers,
// the person cancels or the limit has passed.
struct TXModemServer::TPulseLetters {
  TTickMs next;
  TTickMs limitBase;  // the start, moved on while "Calculator is Working" is up
  int sent = 0;
};

void TXModemServer::SendPulseLetter(TPulseLetters& letters, TTickMs interval) {
  if (TickCount() >= letters.next) {
    letters.next += interval;
    SendCommandChar('M');
    ++letters.sent;
  }
  PulseIdle();
  if (TickCount() - letters.limitBase > static_cast<TTickMs>(link_->Timing().PulseLimit)) link_->FatalDisconnect();
}

void TXModemServer::Pulse() {
  const TTickMs start = TickCount();
  TPulseLetters letters{start, start + (host_.CommandStatusVisible() ? kPulseDialogGraceMs : 0)};
  Log(texts::kLogBeginPulse);
  if (link_->Mode() == ModeSerial)
    PulseSerial(letters);
  else
    PulseUsb(letters);
  Log(texts::kLogEndPulse);
  SleepMs(link_->Timing().AfterPulse);
}

void TXModemServer::PulseSerial(TPulseLetters& letters) {
  link_->SetShortTimeouts();
  std::size_t n = 0;
  for (;;) {
    SendPulseLetter(letters, kPulseIntervalSerialMs);
    std::string two(2, '\0');
    link_->ReadComm(two, kReplyTimeoutMs);
    if (!(two[0] == 0 && two[1] == 0) && two[0] == 0) {
      n = static_cast<unsigned char>(two[1]);
      break;
    }
  }
  std::string answer(n + 1, '\0');
  link_->ReadComm(answer, kReplyTimeoutMs);
  link_->WriteComm(std::string(1, ACK));
  // Answers to M letters that were still on their way (two at most are
  // looked for). The calculator answers in order, so after a single letter
  // nothing more can come and the two waits would be spent for nothing.
  for (int i = 0; i < std::min(letters.sent - 1, kPulseDrainReads); ++i) {
    std::string more(n + 3, '\0');
    link_->ReadComm(more, kReplyTimeoutMs);
    link_->WriteComm(std::string(1, ACK));
  }
  link_->SetLongTimeouts();
}

void TXModemServer::PulseUsb(TPulseLetters& letters) {
  link_->ResetSilence();
  do
    SendPulseLetter(letters, kPulseIntervalUsbMs);
  while (link_->SafeRead() == 0);
  std::string two(2, '\0');
  link_->ReadComm(two, kReplyTimeoutMs);
  std::string answer(static_cast<unsigned char>(two[1]) + 1u, '\0');
  link_->ReadComm(answer, kReplyTimeoutMs);
  link_->WriteComm(std::string(1, ACK));
  const TTickMs drainStart = TickCount();
  std::uint32_t drained = 0;
  for (bool more = true; more;) {
    const std::size_t got = link_->SafeRead();
    drained += static_cast<std::uint32_t>(got);
    more = got > 0;
    link_->WriteComm(std::string(1, ACK));
    PulseIdle();  // the person can still cancel, and hand-overs are served
    if (more && (drained > kPulseDrainMaxBytes || TickCount() - drainStart > kPulseDrainMaxMs)) {
      link_->DropReadAhead();
      Log(std::string(texts::kLogPulseFlood) + std::to_string(drained));
      link_->FatalDisconnect();
    }
  }
  link_->DropReadAhead();
}

void TXModemServer::Execute(const std::string& command, bool showBusy, bool wait) {
  CheckConnected();
  host_.ProcessMessages();
  if (!command.empty()) {
    // Encoded first: a command too long for a packet is refused before the calculator hears 'E'.
    std::string payload;
    const std::string packet = PacketFor(command, payload);
    SendCommandChar('E');
    Log(std::string(texts::kLogCommandPacket) + payload + "'");
    SendPacket(packet);
  }
  host_.ResetCommandCancel();
  if (showBusy && !host_.ConnectionStatusVisible()) {
    host_.ShowCommandStatus();
    host_.DisableViews();
  }
  if (showBusy || wait) Pulse();
  host_.CloseCommandStatus();
}

std::string TXModemServer::QueryFreeMemory() {
  SendCommandChar('M');
  std::string answer = ReceiveCommandPacket();
  const std::size_t mark = answer.find(host_.DecimalSeparator());
  if (mark != std::string::npos) answer.resize(mark);
  return answer;
}

void TXModemServer::Quit() {
  SendCommandChar('Q');
  link_->CloseComm();
  host_.SetConnected(false);
}

void TXModemServer::SetStatus(const std::string& text) {
  Status = text;
  if (OnStatusChange) OnStatusChange(text);
  Log(std::string(texts::kLogStatus) + text);
}

void TXModemServer::CheckConnected() const {
  if (PortName.empty()) RaiseCommError(std::string(texts::kNoDevice));
}

void TXModemServer::SetSpeed(const std::string& speed) {
  if (speed != Speed) Speed = speed;
}

std::string TXModemServer::GetSpeed() const {
  return link_->Mode() == ModeUsb ? std::string(texts::kUsbSpeed) : Speed;
}

void TXModemServer::RaiseTransferError() const {
  if (transferError_.empty() || transferError_ == texts::kConnectionError) throw TConnectionError();
  throw std::runtime_error(transferError_);  // already the whole text the person sees
}

TStatusCallback TXModemServer::ForwardProgress() {
  transferError_.clear();
  return [this](const std::string& message, int kind, int a, int b, int) {
    if (kind == StatusError && !message.empty()) transferError_ = message;
    progressDialog_->UpdateCommStatus(message, kind, b, a);
  };
}

}  // namespace bridgit

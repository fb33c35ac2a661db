#include "session/server_channel.h"

#include <algorithm>
#include <optional>

#include "base/clock.h"
#include "base/log.h"
#include "calcdata/escapes.h"
#include "link/comm_error.h"
#include "link/texts.h"
#include "session/texts.h"
#include "transfer/command_packet.h"
#include "transfer/transfer_starter.h"
#include "transfer/transfer_thread.h"
#include "transfer/xmodem_frame.h"

namespace bridgit {

namespace {
using xmodem::ACK;
using xmodem::NAK;
constexpr int kPacketErrorLimit = 5;
constexpr int kSizeMissLimit = 4;
}  // namespace

TServerChannel::TServerChannel(TSessionHost& host, std::unique_ptr<TLink> link) : host_(host), link_(std::move(link)) {
  link_->CloseComm();
}

void TServerChannel::SetStatus(const std::string& text) {
  status_ = text;
  if (onStatusChange_) onStatusChange_(text);
  Log(std::string(texts::kLogStatus) + text);
}

void TServerChannel::CheckConnected() const {
  if (portName_.empty()) RaiseCommError(std::string(texts::kNoDevice));
}

void TServerChannel::SetSpeed(const std::string& speed) {
  if (speed != speed_) speed_ = speed;
}

std::string TServerChannel::GetSpeed() const {
  return link_->Mode() == ModeUsb ? std::string(texts::kUsbSpeed) : speed_;
}

void TServerChannel::RefuseDuringTransfer() const {
  if (transferRunning_) RaiseCommError(std::string(texts::kTransferRunning));
}

void TServerChannel::OpenLink() {
  RefuseDuringTransfer();
  link_->OpenComm(portName_, std::stoi(speed_));
}

void TServerChannel::CloseLink() {
  RefuseDuringTransfer();
  link_->CloseComm();
}

TModalResult TServerChannel::Transfer(TTransferThread& thread, TCommStatusDialog& dialog, const std::string& caption) {
  RefuseDuringTransfer();  // one transfer at a time on the one link
  transferRunning_ = true;
  try {
    const TModalResult result = RunTransfer(thread, dialog, caption, true);
    transferRunning_ = false;
    return result;
  } catch (...) {
    transferRunning_ = false;
    throw;
  }
}

void TServerChannel::SendCommandChar(char letter) {
  RefuseDuringTransfer();
  Log(std::string(texts::kLogSendCommand) + letter);
  link_->WriteComm(std::string(1, letter));
  SleepMs(link_->Timing().AfterCommandChar);
}

void TServerChannel::SendCommandPacket(const std::string& text) {
  std::string payload;
  const std::string packet = PacketFor(text, payload);
  Log(std::string(texts::kLogCommandPacket) + payload + "'");
  SendPacket(packet);
}

std::string TServerChannel::PacketFor(const std::string& text, std::string& payload) {
  payload = DecodeEscapes(text, TEscapeMode::kBackslash);
  const std::optional<std::string> packet = EncodeCommandPacket(payload);
  if (!packet) RaiseCommError(std::string(texts::kCommandTooLong));
  return *packet;
}

void TServerChannel::SendPacket(const std::string& packet) {
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

bool TServerChannel::ReadPacketOnce(std::string& payload) {
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

std::string TServerChannel::ReceiveCommandPacket() {
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

void TServerChannel::Execute(const std::string& command, bool showBusy, bool wait) {
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

}  // namespace bridgit

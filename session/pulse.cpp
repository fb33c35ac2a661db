// The pulse: M letters at a fixed interval while the calculator evaluates, until
// its first answer shows that it listens again. One loop per kind of link.
#include <algorithm>
#include <cstdint>

#include "base/clock.h"
#include "base/log.h"
#include "session/server_channel.h"
#include "session/texts.h"
#include "transfer/xmodem_frame.h"

namespace bridgit {

namespace {

using xmodem::ACK;
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

// The M letters of one pulse: one each interval until the calculator answers,
// the person cancels or the limit has passed.
struct TServerChannel::TPulseLetters {
  TTickMs next;
  TTickMs limitBase;  // the start, moved on while "Calculator is Working" is up
  int sent = 0;
};

void TServerChannel::Pulse() {
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

void TServerChannel::PulseIdle() {
  host_.ProcessMessages();
  host_.ProcessMessages();
  if (host_.CommandCancelled()) {
    host_.ResetCommandCancel();
    host_.SetConnected(false);
    link_->FatalDisconnect();
  }
}

void TServerChannel::SendPulseLetter(TPulseLetters& letters, TTickMs interval) {
  if (TickCount() >= letters.next) {
    letters.next += interval;
    SendCommandChar('M');
    ++letters.sent;
  }
  PulseIdle();
  if (TickCount() - letters.limitBase > static_cast<TTickMs>(link_->Timing().PulseLimit)) link_->FatalDisconnect();
}

void TServerChannel::PulseSerial(TPulseLetters& letters) {
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

void TServerChannel::PulseUsb(TPulseLetters& letters) {
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

}  // namespace bridgit

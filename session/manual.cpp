// Transfers that the calculator starts itself: screen capture, its own receive
// and send commands, and the ROM loader.
#include "base/clock.h"
#include "base/files.h"
#include "host/prompt_kinds.h"
#include "link/link.h"
#include "session/texts.h"
#include "session/xmodem_server.h"
#include "transfer/screen_rx.h"
#include "transfer/ymodem_rx.h"
#include "transfer/ymodem_tx.h"

namespace bridgit {

namespace {

constexpr TTickMs kPromptPollMs = 100;
// The prompt kinds of these waits.

}  // namespace

void TXModemServer::CaptureScreen(std::string& image) {
  std::string first(1, '\0');
  image.clear();
  channel_.SetStatus(std::string(texts::kStatusCapturing));
  if (host_.RequiredSpeed() != 0) channel_.Link().ChangeSpeed(host_.RequiredSpeed());
  WaitFirstByte(first);
  if (host_.PromptVisible()) {  // else the user cancelled before the calculator began
    host_.HidePrompt(kPromptCapture);
    host_.SetBusy(true);
    TSRX rx(channel_.Link(), first, ForwardProgress());
    const TModalResult result = Transfer(rx, std::string(texts::kStatusCapturingScreen));
    if (result == kModalOk) image = rx.Capture;
    host_.SetBusy(false);
  }
  channel_.SetStatus("");  // the capture is over, whatever came of it
}

bool TXModemServer::ManualSend(const std::string& pcFile) {
  std::string first(1, '\0');
  channel_.SetStatus(std::string(texts::kStatusCopying) + FileNamePart(pcFile));
  WaitFirstByte(first);
  bool result = false;
  if (host_.PromptVisible()) {
    host_.HidePrompt(kPromptDownload);
    host_.SetBusy(true);
    TYModemTX tx(channel_.Link(), pcFile, true, first, ForwardProgress());
    Transfer(tx, std::string(texts::kStatusCopying) + pcFile);
    channel_.SetStatus("");
    result = tx.Done();
    host_.SetBusy(false);
  }
  return result;
}

bool TXModemServer::ManualReceive(const std::string& pcFile, std::uint32_t expectedSize, bool sizeIsEstimate) {
  channel_.SetStatus(std::string(texts::kStatusCopying) + FileNamePart(pcFile));
  TYModemRX rx(channel_.Link(), pcFile, false, expectedSize, ForwardProgress());
  rx.SizeIsEstimate = sizeIsEstimate;
  Transfer(rx, std::string(texts::kStatusCopying) + pcFile);
  SleepMs(channel_.Link().Timing().AfterReceive);
  lastData_ = rx.Done() ? rx.Data : std::string();
  return rx.Done();
}

bool TXModemServer::SendRom(const std::string& romFile) {
  channel_.SetStatus(std::string(texts::kStatusCopying) + FileNamePart(romFile));
  while (host_.PromptVisible()) {
    host_.ProcessMessages();
    SleepMs(kPromptPollMs);
  }
  host_.SetBusy(true);
  TSTX stx(channel_.Link(), romFile, ForwardProgress());
  Transfer(stx, std::string(texts::kStatusCopying) + romFile);
  channel_.SetStatus("");
  const bool result = stx.Sent();
  host_.SetBusy(false);
  return result;
}

}  // namespace bridgit

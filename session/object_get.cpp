// Fetching one object into memory.
#include "base/clock.h"
#include "base/log.h"
#include "calcdata/object_walk.h"
#include "link/comm_port.h"
#include "session/texts.h"
#include "session/xmodem_server.h"
#include "transfer/transfer_starter.h"
#include "transfer/ymodem_rx.h"

namespace bridgit {

bool TXModemServer::GetObject(const std::string& name, const std::string& pcFile, std::uint32_t size) {
  CheckConnected();
  SendCommandChar('G');
  SendCommandPacket(name);
  const std::string display = DisplayName(name, pcFile, "");
  SetStatus(std::string(texts::kStatusCopying) + display);
  SleepMs(CurrentTiming().BeforeReceive);
  TYModemRX rx(pcFile, false, size != 0 ? size + 8 : 0, ForwardProgress());
  RunTransfer(rx, *ProgressDialog, std::string(texts::kStatusCopying) + display, true);
  SleepMs(CurrentTiming().AfterReceive);
  const bool done = rx.Done();
  if (done)
    Execute("", true, true);
  else
    host_.SetConnected(false);
  SetStatus("");
  LastData.clear();
  if (!done) return false;
  // The object's own length wins over the listing's size: an object that grew
  // since the listing is not cut short.
  std::string trimmed = rx.Data;
  if (TrimObject(trimmed).success) {
    if (rx.ExpectedSize != 0 && trimmed.size() != rx.ExpectedSize)
      Log(std::string(texts::kLogSizeDiffers) + std::to_string(rx.ExpectedSize) + " / " + std::to_string(trimmed.size()));
    LastData = std::move(trimmed);
  } else {
    LastData = rx.ExpectedSize != 0 ? rx.Data.substr(0, rx.ExpectedSize) : rx.Data;
  }
  return true;
}

}  // namespace bridgit

// Fetching one object into memory.
#include "base/clock.h"
#include "link/comm_port.h"
#include "session/texts.h"
#include "session/xmodem_server.h"
#include "transfer/transfer_starter.h"
#include "transfer/ymodem_rx.h"

namespace bridgit {

namespace {

// The file-name part of the PC file, or else the calculator name; ".zq" and
// ".txt" extensions dropped.
std::string Display(const std::string& name, const std::string& pcFile) {
  std::string shown = pcFile.empty() ? name : pcFile.substr(pcFile.find_last_of("/\\") + 1);
  for (const char* ext : {".zq", ".txt"})
    if (shown.size() > std::string(ext).size() && shown.ends_with(ext)) shown.resize(shown.size() - std::string(ext).size());
  return shown;
}

}  // namespace

bool TXModemServer::GetObject(const std::string& name, const std::string& pcFile, std::uint32_t size) {
  CheckConnected();
  SendCommandChar('G');
  SendCommandPacket(name);
  const std::string display = Display(name, pcFile);
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
  LastData = done ? (rx.ExpectedSize != 0 ? rx.Data.substr(0, rx.ExpectedSize) : rx.Data) : std::string();
  return done;
}

}  // namespace bridgit

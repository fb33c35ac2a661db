// Fetching one object into memory.
#include "base/clock.h"
#include "base/log.h"
#include "calcdata/object_header.h"
#include "calcdata/object_walk.h"
#include "link/link.h"
#include "session/texts.h"
#include "session/xmodem_server.h"
#include "transfer/ymodem_rx.h"

namespace bridgit {

bool TXModemServer::GetObject(const std::string& name, const std::string& pcFile, std::uint32_t size) {
  channel_.CheckConnected();
  channel_.SendCommandChar('G');
  channel_.SendCommandPacket(name);
  const std::string display = DisplayName(name, pcFile, "");
  channel_.SetStatus(std::string(texts::kStatusCopying) + display);
  SleepMs(channel_.Link().Timing().BeforeReceive);
  TYModemRX rx(channel_.Link(), pcFile, false, size != 0 ? size + 8 : 0, ForwardProgress());
  transferCancelled_ = Transfer(rx, std::string(texts::kStatusCopying) + display) == kModalCancel;
  SleepMs(channel_.Link().Timing().AfterReceive);
  const bool done = rx.Done();
  if (done)
    channel_.Execute("", true, true);
  else
    host_.SetConnected(false);
  channel_.SetStatus("");
  lastData_.clear();
  if (!done) return false;
  lastData_ = rx.Data;
  // The calculator sends its own header; the connected family (once known)
  // decides which types the walk may trust.
  const std::string& model = host_.CalculatorModel();
  const TFamily family = model == kFamily73 ? TFamily::k73 : model == kFamily71 ? TFamily::k71 : HeaderFamily(lastData_);
  const TObjectMeasure m = MeasureObject(lastData_, family);
  if (m.extent == TObjectExtent::kExact) {
    // The walk is exact: an object that grew since the listing is not cut short.
    CutToObject(lastData_, m.nibbles);
    if (rx.ExpectedSize != 0 && lastData_.size() != rx.ExpectedSize)
      Log(std::string(texts::kLogSizeDiffers) + std::to_string(rx.ExpectedSize) + " / " + std::to_string(lastData_.size()));
  } else if (rx.ExpectedSize != 0 && lastData_.size() > rx.ExpectedSize) {
    // A type the table lacks: the listing's size holds; without one every byte is kept.
    lastData_.resize(rx.ExpectedSize);
  }
  return true;
}

}  // namespace bridgit

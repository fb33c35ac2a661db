// Receiving a picture of the calculator's screen: after the lead byte (which the
// starter has already read) the calculator sends, depending on the layout, a
// 5-byte header or nothing, then the raw display bitmap.
#pragma once

#include <string>

#include "transfer/ymodem_rx.h"

namespace bridgit {

// The longest bitmap a header may announce.
inline constexpr std::uint32_t kMaxScreenBytes = 2176;
inline constexpr char kPageLayoutLead = 0x1B;
inline constexpr std::uint32_t kPageLayoutBytes = 1080;
inline constexpr std::uint32_t kLegacyLayoutBytes = 1084;

class TSRX : public TYModemRX {
 public:
  TSRX(TLink& link, std::string leadByte, TStatusCallback onStatus);
  ~TSRX() override;
  // The lead byte at creation; the capture string at the end, empty after a failure.
  std::string Capture;

 protected:
  void Execute() override;
};

}  // namespace bridgit

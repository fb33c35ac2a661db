#include "transfer/screen_rx.h"

#include "base/log.h"
#include "link/link.h"
#include "transfer/texts.h"

namespace bridgit {

namespace {

constexpr int kReadTimeoutMs = 2500;
constexpr int kAfterCapturePauseMs = 300;
// What stands in for H2 to H5 of the legacy layout: one plane, 64 rows, 131 pixels.
constexpr char kLegacyHeader[] = {0x00, 0x01, 0x40, static_cast<char>(0x83)};

std::string CaptureLabel(std::size_t length) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%02zX", length);
  return std::string(texts::kCaptureOf) + hex;
}

}  // namespace

TSRX::TSRX(TLink& link, std::string leadByte, TStatusCallback onStatus)
    : TYModemRX(link, "", false, 0, std::move(onStatus)), Capture(std::move(leadByte)) {}

TSRX::~TSRX() { Join(); }

void TSRX::Execute() {
  try {
    done_ = false;
    const char lead = Capture.empty() ? '\0' : Capture[0];
    std::string header;
    Log(std::string(texts::kLogScreenFirst) + Hex2(static_cast<unsigned char>(lead)));
    if (lead == kPageLayoutLead) {
      ExpectedSize = kPageLayoutBytes;
    } else {
      header.assign(5, '\0');
      link_.ReadComm(header, kReadTimeoutMs);
      HexDumpLog(CaptureLabel(header.size()), header, -123);
      if (header[0] == 'W' || header[0] == 'G') {
        header = header.substr(0, 1) + std::string(kLegacyHeader, 4) + header.substr(1);
        ExpectedSize = kLegacyLayoutBytes;
      } else {
        const auto h = [&header](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(header[static_cast<std::size_t>(i)])); };
        ExpectedSize = h(2) * h(3) * ((h(4) + 7) / 8);
      }
    }
    if (ExpectedSize > kMaxScreenBytes) link_.FatalDisconnect();
    PostStatus("", StatusProgress, 10, 100);
    std::string data(ExpectedSize, '\0');
    link_.ReadComm(data, kReadTimeoutMs);
    HexDumpLog(CaptureLabel(data.size()), data, -123);
    done_ = true;
    PostStatus("", StatusProgress, 90, 100);
    Capture = std::string(1, lead) + header + data;
    SleepMs(kAfterCapturePauseMs);
  } catch (const std::exception&) {
    PostStatus("", StatusFinished);
    Capture.clear();
    done_ = false;
    link_.Host().RunOnUiThread([this] {
      link_.Host().ShowMessage(std::string(texts::kCannotReadScreen), std::string(texts::kReadErrorCaption));
    });
  }
  PostStatus("", StatusFinished);
}

}  // namespace bridgit

#include "link/read_ahead.h"

#include <algorithm>

#include "base/clock.h"
#include "base/log.h"
#include "link/texts.h"

namespace bridgit {

namespace {
// A line that never goes quiet (a stuck or babbling device) ends the drain.
constexpr TTickMs kClearInputLimitMs = 60000;
}  // namespace

bool TReadAhead::Fill(int timeoutMs) {
  TSessionHost& host = link_.Host();
  while (Exhausted()) {
    if (host.OnUiThread()) host.ProcessMessages();
    if (SafeRead() > 0) {
      emptySince_ = 0;
      continue;
    }
    const TTickMs now = TickCount();
    if (emptySince_ == 0) emptySince_ = now;
    const TTickMs elapsed = now - emptySince_;
    if (elapsed > 0) Log(std::string(texts::kLogNoData) + std::to_string(elapsed));
    if (elapsed >= kUsbSilenceLimitMs) {
      Log(texts::kLogZeroReadsTooLong);
      emptySince_ = now;
      if (!host.CommandStatusVisible() && !host.PromptVisible()) link_.FatalDisconnect();
    }
    if (elapsed >= timeoutMs) return false;
  }
  return true;
}

int TReadAhead::Read(std::string& buffer, int timeoutMs) {
  const std::size_t wanted = buffer.size();
  std::size_t p = 0;
  while (p < wanted && Fill(timeoutMs)) {
    const std::size_t n = std::min<std::size_t>(wanted - p, bufCount_ - bufPos_ + 1);
    std::copy_n(buffer_.begin() + (bufPos_ - 1), n, buffer.begin() + static_cast<std::ptrdiff_t>(p));
    bufPos_ += static_cast<std::uint32_t>(n);
    p += n;
  }
  return static_cast<int>(p);
}

void TReadAhead::Clear() {
  Log(texts::kLogClearStart);
  const TTickMs start = TickCount();
  for (int empty = 0; empty < 4;) {
    if (TickCount() - start > kClearInputLimitMs) {
      Log("The input never went quiet");
      link_.FatalDisconnect();
    }
    bufCount_ = 0;
    std::string block(300, '\0');
    link_.ReadComm(block, 10);
    empty = block.compare(0, 6, std::string(6, '\0')) == 0 ? empty + 1 : 0;
  }
  bufCount_ = 0;
  Log(texts::kLogClearEnd);
}

std::size_t TReadAhead::SafeRead() {
  if (!reader_) reader_ = makeReader_();
  bufCount_ = 0;
  bufPos_ = 1;
  bool timedOut = false;
  const std::size_t n = reader_->SafeRead(buffer_, timedOut);
  if (timedOut)
    Log(texts::kLogSafeReadTimeOut);
  else
    bufCount_ = static_cast<std::uint32_t>(n);
  return bufCount_;
}

void TReadAhead::Stop() {
  reader_.reset();
  bufCount_ = 0;
  bufPos_ = 1;
  emptySince_ = 0;
}

}  // namespace bridgit

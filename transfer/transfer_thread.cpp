#include "transfer/transfer_thread.h"

#include "base/log.h"
#include "host/session_host.h"
#include "link/link.h"
#include "transfer/texts.h"

namespace bridgit {

namespace {
constexpr long long kKiloRate = 10240;  // from this rate on, texts count in Kbytes
}  // namespace

long long TransferRate(long long done, TTickMs elapsedMs) { return done * 1000 / (elapsedMs + 1); }

std::string FormatProgress(long long done, long long total, TTickMs elapsedMs) {
  if (total <= 0) return {};
  const long long rate = TransferRate(done, elapsedMs);
  if (rate < kKiloRate)
    return std::to_string(done) + "/" + std::to_string(total) + " bytes\r\n(" + std::to_string(done * 100 / total) +
           "%)\r\n" + std::to_string(rate) + " bytes/s";
  return std::to_string(done / 1024) + "/" + std::to_string(total / 1024) + " Kbytes\r\n(" +
         std::to_string((done - 1) * 100 / total) + "%)\r\n" + std::to_string(rate / 1024) + " Kbytes/s";
}

std::string FormatSpeed(std::string_view fileName, long long done, TTickMs elapsedMs) {
  const std::size_t cut = fileName.find_last_of("\\:/");
  const std::string_view name = cut == std::string_view::npos ? fileName : fileName.substr(cut + 1);
  const long long rate = TransferRate(done, elapsedMs);
  std::string line(name);
  line += texts::kSentRecvdAt;
  line += rate < kKiloRate ? std::to_string(rate) + " bytes/s" : std::to_string(rate / 1024) + " Kbytes/s";
  return line;
}

std::string Hex2(unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[byte >> 4], kDigits[byte & 15]};
}

std::string HexDumpLine(std::string_view label, std::string_view data, int maxCount) {
  const std::size_t n = maxCount == -123 ? data.size() : std::min(data.size(), static_cast<std::size_t>(std::max(maxCount, 0)));
  std::string line(label);
  line += " Block=";
  for (std::size_t i = 0; i < n; ++i) line += Hex2(static_cast<unsigned char>(data[i]));
  line += "   ";
  line += data.substr(0, n);
  return line;
}

void HexDumpLog(std::string_view label, std::string_view data, int maxCount) {
  Log(HexDumpLine(label, data, maxCount));
}

TTransferThread::TTransferThread(TLink& link, TStatusCallback onStatus)
    : link_(link), onStatus_(std::move(onStatus)) {}

TTransferThread::~TTransferThread() { Join(); }

void TTransferThread::Start() {
  thread_ = std::thread([this] {
    Execute();
    finished_ = true;
  });
}

void TTransferThread::Join() {
  if (thread_.joinable()) thread_.join();
}

void TTransferThread::PostStatus(const std::string& message, int kind, int a, int b, int c) {
  if (!onStatus_) return;
  link_.Host().RunOnUiThread([&] { onStatus_(message, kind, a, b, c); });
}

void TTransferThread::ProgressText(long long done, long long total, TTickMs startTick) {
  if (total <= 0) return;
  PostStatus(FormatProgress(done, total, TickCount() - startTick), StatusProgress, static_cast<int>(done),
             static_cast<int>(total), 0);
}

std::string TTransferThread::SpeedText(std::string_view fileName, long long done, TTickMs startTick) const {
  return FormatSpeed(fileName, done, TickCount() - startTick);
}

void TTransferThread::CheckTerminated() const {
  if (terminated_) link_.FatalDisconnect();
}

void TTransferThread::WriteQuietly(const std::string& bytes) {
  try {
    link_.WriteComm(bytes);
  } catch (const std::exception&) {
  }
}

void TTransferThread::ClearInputQuietly() {
  try {
    link_.ClearInput();
  } catch (const std::exception&) {
  }
}

}  // namespace bridgit

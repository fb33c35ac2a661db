#include "transfer/ymodem_tx.h"

#include <cerrno>

#include "base/files.h"
#include "base/log.h"
#include "link/comm_error.h"
#include "link/link.h"
#include "link/texts.h"
#include "transfer/texts.h"

namespace bridgit {

using namespace xmodem;

namespace {

constexpr int kReplyTimeoutMs = 2500;
constexpr int kNoReplyPauseMs = 800;
constexpr std::size_t kRawChunk = 2048;

char ReadReply(TLink& link) {
  std::string reply(1, '\0');
  link.ReadComm(reply, kReplyTimeoutMs);
  return reply[0];
}


}  // namespace

TYModemTX::TYModemTX(TLink& link, std::string fileName, bool smallBlocks, std::string firstReply, TStatusCallback onStatus)
    : TTransferThread(link, std::move(onStatus)),
      FileName(std::move(fileName)),
      SmallBlocks(smallBlocks),
      FirstReply(firstReply.empty() ? std::string(1, '\0') : std::move(firstReply)) {}

TYModemTX::~TYModemTX() { Join(); }

void TYModemTX::Execute() {
  try {
    done_ = false;
    SleepMs(link_.Timing().BeforeSend);
    const TCheckMode mode = Handshake();
    SendFile(mode);
    done_ = true;
  } catch (const std::exception& e) {
    PostStatus(e.what(), StatusError);
    WriteQuietly(std::string(3, CAN));
    SleepMs(link_.Timing().AfterTransferError);
  }
  if (file_) file_->Close();
  ClearTransferFile(TTransferDirection::kSend);
  PostStatus("", StatusFinished);
}

TCheckMode TYModemTX::Handshake() {
  char reply = FirstReply[0];
  for (int errors = 0;;) {
    if (reply == 0) reply = ReadReply(link_);
    TCheckMode mode;
    if (CheckModeOf(reply, mode)) return mode;
    if (reply == CAN) link_.FatalDisconnect();
    reply = 0;
    ++errors;
    Log(std::string(texts::kLogTxNeedsCrcFlag) + std::to_string(errors));
    if (errors > kTransferErrorLimit) link_.FatalDisconnect();
    CheckTerminated();
  }
}

void TYModemTX::SendFile(TCheckMode mode) {
  std::string error;
  file_ = TTransferFile::OpenForReading(FileName, error);
  if (!file_) RaiseCommError(std::string(texts::kUnableToOpenFile) + FileName + " " + error);
  SetTransferFile(TTransferDirection::kSend, file_);
  const long long size = file_->Size();
  const TTickMs start = TickCount();
  std::size_t blockSize = SmallBlocks ? kSmallBlock : kLargeBlock;
  PostStatus(std::string(texts::kCopying) + FileName, StatusInfo);

  long long sent = 0;
  std::string block;
  for (std::uint32_t number = 1;; ++number) {
    // Once fewer than 1024 bytes remain, the rest goes in 128-byte blocks.
    if (size - sent < static_cast<long long>(kLargeBlock)) blockSize = kSmallBlock;
    block.assign(blockSize, kPadding);
    const long got = file_->Read(block.data(), blockSize);
    if (got < 0) RaiseCommError(std::string(texts::kCannotReadFromFile) + ErrorCodeText(errno));
    if (got == 0) break;
    block.resize(static_cast<std::size_t>(got));
    ProgressText(sent, size, start);
    SendFrame(BuildFrame(number, block, blockSize, mode));
    sent += static_cast<long long>(blockSize);
  }
  PostStatus(SpeedText(FileName, sent, start), StatusInfo);
  SendEndOfTransmission();
}

void TYModemTX::SendFrame(const std::string& frame) {
  int errors = 0;
  int strayReplies = 0;  // replies that are none of ACK, NAK, CAN: bounded too
  for (;;) {
    link_.WriteComm(frame);
    const char reply = ReadReply(link_);
    CheckTerminated();
    if (reply == ACK) return;
    switch (reply) {
      case 0:
        if (++errors > kTransferErrorLimit) link_.FatalDisconnect();
        SleepMs(kNoReplyPauseMs);
        break;
      case NAK:
        if (++errors > kTransferErrorLimit) link_.FatalDisconnect();
        break;
      case CAN:
        link_.FatalDisconnect();
      default:
        if (++strayReplies > kTransferErrorLimit) link_.FatalDisconnect();
        link_.ClearInput();
        break;
    }
    PostStatus(std::string(texts::kConnectionError), StatusError);
  }
}

void TYModemTX::SendEndOfTransmission() {
  for (int errors = 0;;) {
    CheckTerminated();
    ++errors;
    if (errors > 1) Log(std::string(texts::kLogTxNoAckForEot) + std::to_string(errors));
    if (errors > kTransferErrorLimit) link_.FatalDisconnect();
    link_.WriteComm(std::string(1, EOT));
    if (ReadReply(link_) == ACK) return;
  }
}

TSTX::TSTX(TLink& link, std::string fileName, TStatusCallback onStatus)
    : TTransferThread(link, std::move(onStatus)), FileName(std::move(fileName)) {}

TSTX::~TSTX() { Join(); }

void TSTX::Execute() {
  std::string failure;
  try {
    sent_ = false;
    PostStatus(std::string(texts::kConnecting), StatusInfo);
    std::string error;
    auto file = TTransferFile::OpenForReading(FileName, error);
    if (!file) RaiseCommError(std::string(texts::kUnableToOpenFile) + FileName + std::string(texts::kWinErr) + error);
    SetTransferFile(TTransferDirection::kSend, file);
    const long long size = file->Size();
    std::string buffer(4 + static_cast<std::size_t>(std::max(size, 0LL)), '\0');
    long long have = 0;
    while (have < size) {
      const long got = file->Read(buffer.data() + 4 + have, static_cast<std::size_t>(size - have));
      if (got <= 0) RaiseCommError(std::string(texts::kCannotReadFromFile) + FileName);
      have += got;
    }
    file->Close();
    ClearTransferFile(TTransferDirection::kSend);
    const auto u = static_cast<std::uint32_t>(size);
    for (int i = 0; i < 4; ++i) buffer[static_cast<std::size_t>(i)] = static_cast<char>((u >> (8 * i)) & 0xFF);

    const TTickMs start = TickCount();
    const long long total = static_cast<long long>(buffer.size());
    long long sent = 0;
    do {
      ProgressText(sent, total, start);
      const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(total - sent), kRawChunk);
      link_.WriteUnchecked(buffer.data() + sent, n);
      sent += static_cast<long long>(n);
    } while (sent < total);
    ProgressText(sent, total, start);
    sent_ = true;
  } catch (const std::exception& e) {
    failure = e.what();
  }
  ClearTransferFile(TTransferDirection::kSend);
  link_.CloseComm();
  if (!failure.empty()) PostStatus(failure, StatusError);
  PostStatus("", StatusFinished);
}

}  // namespace bridgit

#include "transfer/ymodem_rx.h"

#include <cstdio>

#include "base/files.h"
#include "base/log.h"
#include "link/comm_error.h"
#include "link/link.h"
#include "link/texts.h"
#include "transfer/block_checks.h"
#include "transfer/texts.h"
#include "transfer/xmodem_frame.h"
#include "transfer/ymodem_tx.h"

namespace bridgit {

using namespace xmodem;

namespace {

constexpr int kReplyTimeoutMs = 2500;
// A receive with a known size takes at most one block beyond it (room for the
// padding of the last block and for an object that grew a little since the
// listing); anything more is not the object that was asked for.
constexpr long long kOverSizeAllowance = kLargeBlock;
// Without a known size: more than any calculator's whole memory, so that an
// endless sender cannot exhaust the PC's memory or disk.
constexpr long long kUnknownSizeCap = 4LL * 1024 * 1024;

}  // namespace

TYModemRX::TYModemRX(TLink& link, std::string fileName, bool toFile, std::uint32_t expectedSize, TStatusCallback onStatus)
    : TTransferThread(link, std::move(onStatus)), FileName(std::move(fileName)), ToFile(toFile), ExpectedSize(expectedSize) {}

TYModemRX::~TYModemRX() { Join(); }

void TYModemRX::Execute() {
  try {
    done_ = false;
    received_ = 0;
    startTick_ = 0;
    Log(std::string(texts::kLogRxBegins) + FileName);
    if (ToFile) {
      int error = 0;
      const int fd = CreateTemporarySibling(FileName, partPath_, error);
      if (fd < 0) {
        partPath_.clear();
        RaiseCommError(std::string(texts::kUnableToOpenFile) + FileName + std::string(texts::kWinErr) + ErrorCodeText(error));
      }
      file_ = std::make_shared<TTransferFile>(fd);
      SetTransferFile(TTransferDirection::kReceive, file_);
    } else {
      Data.clear();
    }
    expected_ = 0;
    link_.WriteComm(std::string(1, NAK));

    for (bool endOfTransmission = false; !endOfTransmission;) {
      ++expected_;
      for (int errors = 0;;) {
        if (Terminated()) {
          link_.WriteComm(std::string(4, CAN));
          link_.FatalDisconnect();
        }
        std::string header(1, '\0');
        link_.ReadComm(header, kReplyTimeoutMs);
        const char h = header[0];
        if (h == SOH || h == STX) {
          const TBlock got = ReceiveBlock(h == STX ? kLargeBlock : kSmallBlock);
          if (got == TBlock::kTaken) break;
          // Damaged and repeated blocks count like a missing header: one
          // repeat after a lost ACK is served, an endless run of them is not.
          ++errors;
          Log(std::string(texts::kLogRxError) + std::to_string(errors) +
              std::string(got == TBlock::kRepeated ? texts::kLogRepeatedBlock : texts::kLogBadBlock));
          if (errors > kTransferErrorLimit) link_.FatalDisconnect();
          continue;
        }
        if (h == EOT) {
          endOfTransmission = true;
          break;
        }
        if (h == CAN) link_.FatalDisconnect();
        link_.ClearInput();
        link_.WriteComm(std::string(1, NAK));
        ++errors;
        Log(std::string(texts::kLogRxError) + std::to_string(errors) + std::string(texts::kLogReplyWas) +
            Hex2(static_cast<unsigned char>(h)));
        if (errors > kTransferErrorLimit) link_.FatalDisconnect();
      }
    }
    link_.WriteComm(std::string(1, ACK));
    PostStatus(SpeedText(FileName, received_, startTick_), StatusInfo);
    if (ToFile) {
      file_->Close();
      ClearTransferFile(TTransferDirection::kReceive);
      if (int error = 0; !ReplaceWithSibling(partPath_, FileName, error))
        RaiseCommError(std::string(texts::kUnableToOpenFile) + FileName + std::string(texts::kWinErr) + ErrorCodeText(error));
    }
    done_ = true;
  } catch (const std::exception& e) {
    if (file_) file_->Close();
    ClearTransferFile(TTransferDirection::kReceive);
    PostStatus(e.what(), StatusError);
    WriteQuietly(std::string(4, CAN));
    ClearInputQuietly();
    if (ToFile && !partPath_.empty()) RemoveFileQuietly(partPath_);
    SleepMs(link_.Timing().AfterTransferError);
  }
  PostStatus("", StatusFinished);
}

long long TYModemRX::SizeLimit() const {
  return ExpectedSize != 0 && !SizeIsEstimate ? static_cast<long long>(ExpectedSize) + kOverSizeAllowance : kUnknownSizeCap;
}

TYModemRX::TBlock TYModemRX::ReceiveBlock(std::size_t n) {
  if (startTick_ == 0) startTick_ = TickCount();
  ProgressText(received_, ExpectedSize != 0 ? ExpectedSize : received_ + static_cast<long long>(n), startTick_);
  std::string block(n + 3, '\0');
  const int got = link_.ReadComm(block, kReplyTimeoutMs);
  const bool complete = static_cast<std::size_t>(got) == n + 3;
  const std::string_view data = std::string_view(block).substr(2, n);
  const bool intact = complete && static_cast<std::uint8_t>(block[0]) == 255 - static_cast<std::uint8_t>(block[1]) &&
                      Checksum8(data) == static_cast<std::uint8_t>(block[n + 2]);

  if (intact && static_cast<std::uint8_t>(block[0]) == expected_) {
    if (received_ + static_cast<long long>(n) > SizeLimit()) {
      // Refused before anything of it is kept or acknowledged.
      Log(std::string(texts::kLogRxTooLong) + std::to_string(received_ + static_cast<long long>(n)));
      link_.FatalDisconnect();
    }
    WriteData(std::string(data));
    received_ += static_cast<long long>(n);
    ++blocksTaken_;
    link_.WriteComm(std::string(1, ACK));
    return TBlock::kTaken;
  }
  if (intact && blocksTaken_ > 0 && static_cast<std::uint8_t>(block[0]) == static_cast<std::uint8_t>(expected_ - 1)) {
    // The sender repeats the previous block because our ACK was lost: confirm
    // it again and drop the copy.
    Log(std::string(texts::kLogRxRepeatedBlock) + std::to_string(static_cast<unsigned>(block[0] & 0xFF)));
    link_.WriteComm(std::string(1, ACK));
    return TBlock::kRepeated;
  }
  PostStatus(std::string(texts::kConnectionError), StatusError);
  link_.ClearInput();
  link_.WriteComm(std::string(1, NAK));
  return TBlock::kBad;
}

void TYModemRX::WriteData(const std::string& data) {
  if (!ToFile) {
    Data += data;
    return;
  }
  // With a known size the padding of the last block is cut off; nothing past
  // the expected size is written.
  std::size_t n = data.size();
  if (ExpectedSize != 0)
    n = received_ >= ExpectedSize ? 0 : std::min<std::size_t>(n, static_cast<std::size_t>(ExpectedSize - received_));
  if (n > 0 && !file_->WriteAll(data.data(), n))
    RaiseCommError(std::string(texts::kCannotWriteToFile) + FileName + ErrorSuffix(errno));
}

}  // namespace bridgit

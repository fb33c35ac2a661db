// Receiving one object from the calculator in XModem blocks, always asking for
// checksum mode and taking 128- and 1024-byte blocks in any order, either into
// memory or into a file.
//
// A file is written under a temporary name beside the target and renamed over
// it only when the transfer has completed: a failed or cancelled receive leaves
// no partial file and any older file of that name untouched.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/transfer_files.h"
#include "transfer/transfer_thread.h"

namespace bridgit {

class TYModemRX : public TTransferThread {
 public:
  TYModemRX(TLink& link, std::string fileName, bool toFile, std::uint32_t expectedSize, TStatusCallback onStatus);
  ~TYModemRX() override;

  const std::string FileName;
  const bool ToFile;
  // Read after the thread has ended.
  std::uint32_t ExpectedSize;
  // The expected size is only an estimate (a backup's): it drives the
  // progress, and only the cap for an unknown size bounds the receive.
  bool SizeIsEstimate = false;
  std::string Data;

 protected:
  void Execute() override;

 private:
  enum class TBlock { kTaken, kRepeated, kBad };
  TBlock ReceiveBlock(std::size_t n);
  // The most bytes a receive may take before it is given up.
  long long SizeLimit() const;
  void WriteData(const std::string& data);
  std::uint8_t expected_ = 0;  // block number expected, modulo 256
  std::uint32_t blocksTaken_ = 0;
  long long received_ = 0;
  TTickMs startTick_ = 0;
  std::string partPath_;
  std::shared_ptr<TTransferFile> file_;
};

}  // namespace bridgit

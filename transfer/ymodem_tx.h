// Sending one file to the calculator in XModem blocks (1024-byte blocks while at
// least 1024 bytes remain, then 128-byte blocks), in the check mode the
// calculator's start request asks for; and TSTX, the unframed length-prefixed
// stream of a ROM image.
#pragma once

#include <memory>
#include <string>

#include "link/transfer_files.h"
#include "transfer/transfer_thread.h"
#include "transfer/xmodem_frame.h"

namespace bridgit {

// A block, a start request or an EOT is given up on after this many failures.
inline constexpr int kTransferErrorLimit = 5;

class TYModemTX : public TTransferThread {
 public:
  // firstReply: the start request if the starter has already read it, else "\0".
  TYModemTX(TLink& link, std::string fileName, bool smallBlocks, std::string firstReply, TStatusCallback onStatus);
  ~TYModemTX() override;

  const std::string FileName;
  const bool SmallBlocks;
  const std::string FirstReply;

 protected:
  void Execute() override;

 private:
  xmodem::TCheckMode Handshake();
  void SendFile(xmodem::TCheckMode mode);
  void SendFrame(const std::string& frame);
  void SendEndOfTransmission();
  std::shared_ptr<TTransferFile> file_;
};

class TSTX : public TTransferThread {
 public:
  TSTX(TLink& link, std::string fileName, TStatusCallback onStatus);
  ~TSTX() override;
  const std::string FileName;
  bool Sent() const { return sent_; }

 protected:
  void Execute() override;

 private:
  std::atomic<bool> sent_{false};
};

}  // namespace bridgit

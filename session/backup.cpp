// Backing the whole calculator up into one file, and restoring it.
#include <cerrno>

#include "base/clock.h"
#include "base/files.h"
#include "calcdata/object_walk.h"
#include "link/comm_error.h"
#include "link/link.h"
#include "session/texts.h"
#include "transfer/texts.h"
#include "session/xmodem_server.h"

namespace bridgit {

namespace {
const std::string kArchiveScratch = "$$$r";
const std::string kRestoreScratch = "$$$t";
constexpr long long kBlock = 128;
}  // namespace

bool TXModemServer::Backup(const std::string& pcFile, long long estimatedSize) {
  lastData_.clear();  // a failed backup must leave nothing that could be written
  const int required = host_.RequiredSpeed();
  if (required != 0) {
    host_.Beep();
    const std::string question = "Backup requires that the ZQ" + host_.DisplayModel() + " operate at \r\n" +
                                 std::to_string(required) + " baud  (see IOPAR in VAR).\r\n\r\n" +
                                 "May I change the speed temporarily for the backup operation?";
    if (!host_.ShowMessagePrompt(question, std::string(texts::kSetTheCalculator))) return false;
  }
  channel_.SetStatus(std::string(texts::kStatusSendArchive));
  ChangeDir("");
  const std::string archive = FindShippedFile("Arch" + host_.CalculatorModel() + ".zq");
  if (archive.empty())
    RaiseCommError(std::string(texts::kUnableToOpenFile) + ProgramFolder() + "/Arch" + host_.CalculatorModel() + ".zq " + ErrorCodeText(ENOENT));
  bool all = true;
  if (!PutFile(kArchiveScratch, archive, 1, all, false)) return false;
  const std::string q = "\"";
  channel_.Execute("'fLaG' PURGE '$$$r' DUP RCL SWAP PURGE HOME " + q + " \\<< 'fLaG' PURGE " + q +
              " RCLF DUP 64 STWS \\->STR SWAP STOF + " + q + " STOF \\>>" + q +
              " + STR\\-> 'fLaG' STO RCLF -55 SF SWAP MEM DROP NEWOB ",
          true, true);
  channel_.SetStatus(std::string(texts::kStatusGetBackup));
  channel_.Execute("EVAL STOF", false, false);
  if (required != 0) channel_.Link().ChangeSpeed(required);
  SleepMs(channel_.Link().Timing().BeforeBackupReceive);
  const long long rounded = (std::max(estimatedSize, 0LL) + kBlock - 1) / kBlock * kBlock;
  // The estimate leaves out the names of HOME's entries: a memory of many
  // small variables is well above it.
  const bool ok = ManualReceive(pcFile, static_cast<std::uint32_t>(rounded), true);
  if (required != 0) channel_.Link().ChangeSpeed(std::stoi(channel_.Speed()));
  if (ok) {
    channel_.Execute("", true, true);
    channel_.Execute("'fLaG' PURGE ", true, true);
  }
  return ok;
}

bool TXModemServer::Restore(const std::string& pcFile) {
  Purge(kRestoreScratch, false);
  bool all = true;
  bool result = PutFile(kRestoreScratch, pcFile, 1, all, false);
  if (result) {
    host_.SetBusy(true);
    host_.ResetCommandCancel();
    channel_.Pulse();
    channel_.SetStatus(std::string(texts::kStatusRestoring) + FileNamePart(pcFile));
    channel_.Execute("$$$t '$$$t' PURGE RESTORE", false, false);
  }
  host_.SetBusy(false);
  return result;
}

bool TXModemServer::TakeReceivedObject(std::string& bytes) {
  bytes = std::move(lastData_);
  lastData_.clear();
  return bytes.empty() || TrimObject(bytes).success;
}

}  // namespace bridgit

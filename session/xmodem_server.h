// The session with the calculator's XModem server: the operations on the
// calculator (connection and identification, the directory listing, variables,
// objects both ways, backup and restore, the transfers the calculator starts),
// over the channel that carries their command letters and packets. Every
// window step goes through the session host.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/comm_status.h"
#include "host/session_host.h"
#include "link/link.h"
#include "session/server_channel.h"
#include "session/xp_object.h"
#include "transfer/transfer_thread.h"

namespace bridgit {

class TXModemServer {
 public:
  // Without a link of its own, the session talks over this machine's ports.
  explicit TXModemServer(TSessionHost& host, std::unique_ptr<TLink> link = nullptr);
  ~TXModemServer();  // disconnects
  TXModemServer(const TXModemServer&) = delete;
  TXModemServer& operator=(const TXModemServer&) = delete;

  // The exchange every operation below rests on, and its state.
  TServerChannel& Channel() { return channel_; }
  const TServerChannel& Channel() const { return channel_; }

  // --- Connection.
  void Connect(const std::string& port);
  bool OpenDirect(const std::string& port);
  // Has the server end and closes the link; the port name is kept.
  void Quit();
  // The calculator's free memory, cut at its decimal mark.
  std::string QueryFreeMemory();

  // --- The directory tree.
  void ListAll(TXPObject& home);
  // Reads one level from `pos` (0-based) and leaves it after the level's end byte.
  void ParseListing(TXPObject& parent, const std::string& data, std::size_t& pos);
  void ChangeDir(const std::string& path);

  // --- Variables.
  bool Purge(const std::string& name, bool isDirectory);
  void CreateDir(const std::string& name);
  // Refused (false, with the reason in `why`) when the folder already holds the new name.
  bool Rename(const std::string& oldName, const std::string& newName, bool isDirectory, TXPObject* folder,
              std::string* why = nullptr);

  // --- Objects.
  bool GetObject(const std::string& name, const std::string& pcFile, std::uint32_t size);
  // nameCaret: the calculator name in the caret notation of file names.
  bool GetToFile(const std::string& nameCaret, const std::string& pcFile, int typeIcon, long long size);
  // The text file of an object from the binary object file of the string the
  // calculator made of it: its flag list ("{ ... }") and then its text.
  std::string TextFileOf(const std::string& data, int typeIcon) const;
  // A skipped file also returns true.
  bool PutFile(const std::string& name, const std::string& pcFile, int fileCount, bool& replaceAll, bool confirm,
               const std::string& displayName = "");

  // --- The command window's services.
  void SendCalculatorCommand(const std::string& command);
  // At most the 7 lowest levels, highest first: "n: text".
  std::vector<std::string> ReadStack();
  // Has the calculator run a person's command and returns the error it
  // raised ("Infinite Result"), empty when none; `stack`, when given, gets
  // the stack read in the same exchanges.
  std::string RunCommand(const std::string& command, std::vector<std::string>* stack);

  // --- Backup, restore, and the transfers the calculator starts itself.
  bool Backup(const std::string& pcFile, long long estimatedSize);
  bool Restore(const std::string& pcFile);
  void CaptureScreen(std::string& image);
  bool ManualSend(const std::string& pcFile);
  // `sizeIsEstimate`: the size only drives the progress (a backup's estimate).
  bool ManualReceive(const std::string& pcFile, std::uint32_t expectedSize, bool sizeIsEstimate = false);
  bool SendRom(const std::string& romFile);

  // What a backup or an upload received (LastData, emptied here), cut to the
  // object's length. False when that length cannot be found: the bytes stay
  // whole, with their transfer padding. Empty when nothing was received.
  bool TakeReceivedObject(std::string& bytes);

  // The bytes the latest receive brought (an object, a backup, a manual upload).
  const std::string& LastData() const { return lastData_; }
  void ClearLastData() { lastData_.clear(); }
  // The progress dialog every transfer of the session shows.
  TCommStatusDialog& ProgressDialog() { return *progressDialog_; }
  // The latest get or put ended by the person's Cancel (not by the link).
  bool TransferCancelled() const { return transferCancelled_; }

  // The name shown for a transfer: the alternative's, else the PC file's, else
  // the calculator name's file-name part, without a ".zq" or ".txt" extension.
  static std::string DisplayName(const std::string& name, const std::string& pcFile, const std::string& alternative);

 private:
  // False when the file holds no text, or when the calculator cannot compile
  // it (`notCompiled` set; nothing stored, its screen says so).
  bool PutText(const std::string& name, const std::string& pcFile, bool* notCompiled = nullptr);
  struct TFileKind {
    bool accept = false;
    bool asText = false;
  };
  // Whether the file goes at all, and as text or binary (the person asked when unsure).
  TFileKind CheckFileKind(const std::string& pcFile);
  void ConnectTo(const std::string& port);
  std::string Identify(const std::string& port);
  void AutoConnect();
  // Waits for the calculator's first byte while the instruction prompt is up.
  bool WaitFirstByte(std::string& first);
  // The status callback of every transfer: the session's progress dialog.
  TStatusCallback ForwardProgress();
  // Runs a transfer in the session's progress dialog.
  TModalResult Transfer(TTransferThread& thread, const std::string& caption);
  // The texts of the list of strings `program` leaves, fetched through a scratch variable.
  std::vector<std::string> ReadTexts(const std::string& program);
  // The same from a list a command already stored in the scratch variable "$$$t".
  std::vector<std::string> FetchTexts();
  // The error a transfer started with ForwardProgress failed with, or empty.
  [[noreturn]] void RaiseTransferError() const;
  TSessionHost& host_;
  TServerChannel channel_;
  std::unique_ptr<TCommStatusDialog> progressDialog_;
  std::string lastData_;
  std::string transferError_;  // the last error a transfer reported
  bool transferCancelled_ = false;
  std::string currentFolder_;  // the folder path of the latest ChangeDir
  // A text get ended between storing its scratch variable and purging it: the
  // folder that holds it, purged at the next connection.
  bool textScratchLeft_ = false;
  std::string textScratchFolder_;
};

}  // namespace bridgit

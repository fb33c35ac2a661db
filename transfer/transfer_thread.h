// What every transfer thread has: its status reports to the progress display,
// its completion flag, the terminate request, and the progress and speed texts.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "base/clock.h"

namespace bridgit {

class TLink;

enum TStatusKind : int {
  StatusError = 0,
  StatusInfo = 1,
  StatusProgress = 2,
  StatusFinished = 3,
  StatusButton = 4,
};

// (message, kind, A, B, C): the session forwards these to its progress dialog.
using TStatusCallback = std::function<void(const std::string& message, int kind, int a, int b, int c)>;

// Bytes per second: done x 1000 div (elapsed + 1).
long long TransferRate(long long done, TTickMs elapsedMs);
// The three-line progress text ("" when total <= 0).
std::string FormatProgress(long long done, long long total, TTickMs elapsedMs);
// "<name> sent/recvd at <rate> bytes/s" (or Kbytes/s); the name loses its folder.
std::string FormatSpeed(std::string_view fileName, long long done, TTickMs elapsedMs);
// label + " Block=" + hex of the first n bytes + "   " + those bytes; n = all
// when maxCount is -123.
std::string HexDumpLine(std::string_view label, std::string_view data, int maxCount);
void HexDumpLog(std::string_view label, std::string_view data, int maxCount);
// Two upper-case hexadecimal digits.
std::string Hex2(unsigned char byte);

class TTransferThread {
 public:
  TTransferThread(TLink& link, TStatusCallback onStatus);
  virtual ~TTransferThread();  // waits for the thread
  TTransferThread(const TTransferThread&) = delete;
  TTransferThread& operator=(const TTransferThread&) = delete;

  void Start();
  // Asks the thread to end; it notices at its next check and ends through the
  // fatal path.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // The thread body has returned.
  bool Finished() const { return finished_; }
  void Join();
  bool Done() const { return done_; }
  TLink& Link() const { return link_; }

 protected:
  virtual void Execute() = 0;

  // Hands the status to the user-interface thread and waits until delivered.
  void PostStatus(const std::string& message, int kind, int a = 0, int b = 0, int c = 0);
  void ProgressText(long long done, long long total, TTickMs startTick);
  std::string SpeedText(std::string_view fileName, long long done, TTickMs startTick) const;
  // The fatal path if the thread has been asked to end.
  void CheckTerminated() const;
  // Link steps inside an error handler: a dead link must not raise again there.
  void WriteQuietly(const std::string& bytes);
  void ClearInputQuietly();

  TLink& link_;
  std::atomic<bool> done_{false};

 private:
  TStatusCallback onStatus_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace bridgit

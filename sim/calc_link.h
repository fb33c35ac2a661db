// The calculator's end of the link: the master side of a pseudo-terminal (its
// terminal end published as a symlink for the PC), or the calculator's ends of
// the USB device's two FIFOs. Writes can be paced to a baud rate and pass
// through the fault injector.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace bridgit::sim {

class TFaults;

class TCalcLink {
 public:
  ~TCalcLink();
  TCalcLink(const TCalcLink&) = delete;
  TCalcLink& operator=(const TCalcLink&) = delete;

  // A pseudo-terminal whose terminal end is linked at `linkPath`.
  static std::unique_ptr<TCalcLink> OpenPty(const std::string& linkPath, std::string& error);
  // The folder root/ZQx3G+<suffix> with the FIFOs PIPE0 (to the PC) and PIPE1
  // (from the PC).
  static std::unique_ptr<TCalcLink> OpenUsb(const std::string& root, const std::string& suffix, std::string& error);

  // The path the PC opens: the terminal's link, or the USB device name.
  const std::string& PcPath() const { return pcPath_; }
  bool IsUsb() const { return usb_; }

  // Up to n bytes, waiting at most timeoutMs for the whole of them.
  std::string Read(std::size_t n, int timeoutMs);
  // One byte, or false when none came in time.
  bool ReadByte(char& c, int timeoutMs);
  void Write(const std::string& bytes);
  // Drops what the PC has sent so far.
  void DiscardInput();
  // The speed the PC has set on its terminal (0 when unknown, as on USB).
  int PcBaud() const;

  void SetPacing(int baud) { baud_ = baud; }
  // The speed the calculator's port runs at now (0: whatever the PC uses). A PC
  // at another speed hears noise and is heard as noise, both ways.
  void SetLineSpeed(int baud) { lineSpeed_ = baud; }
  int LineSpeed() const { return lineSpeed_; }
  void SetFaults(TFaults* faults) { faults_ = faults; }
  // A slow calculator: after an exchange it listens again only `ms` after it
  // began its last write, and what the PC sends before then is lost. A PC
  // keeping its pauses never sends then; such bytes (other than `crossing`,
  // those that can meet the calculator's answer on the line) are counted.
  void SetHoldPauses(bool on) { holdPauses_ = on; }
  void DeafAfterLastWrite(int ms, const std::string& crossing = "");
  // The bytes counted since the last call.
  int TakeEarlyBytes() { return early_.exchange(0); }
  // The calculator's cancel key: the exchange in progress ends at once (its
  // reads find nothing, its writes go nowhere) until EndAbort.
  void Abort() { aborting_ = true; }
  bool Aborting() const { return aborting_; }
  void EndAbort() { aborting_ = false; }
  // Stops every read at once and for good (used at shutdown).
  void Interrupt();
  // The descriptor Interrupt writes to, for a signal handler (write is safe there).
  int InterruptFd() const { return wake_[1]; }

 private:
  TCalcLink() = default;
  void RawWrite(const std::string& bytes);
  bool Garbling() const;
  // True (and the bytes counted) when the calculator does not listen yet.
  bool Lost(const std::string& bytes);
  int in_ = -1;      // what the PC sends
  int out_ = -1;     // what the PC reads
  int keepOpen_ = -1;  // the terminal end, held so that the master never sees a hang-up
  int wake_[2] = {-1, -1};
  bool usb_ = false;
  int baud_ = 0;
  std::string pcPath_;
  std::string linkPath_;
  std::string usbDir_;
  TFaults* faults_ = nullptr;
  std::atomic<bool> aborting_{false};
  std::atomic<int> lineSpeed_{0};
  bool holdPauses_ = true;
  std::chrono::steady_clock::time_point lastWrite_, listenAt_;
  std::string crossing_;
  std::atomic<int> early_{0};
};

}  // namespace bridgit::sim

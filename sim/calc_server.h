// The calculator side of every exchange: the XModem server with its command
// letters and packets, and the calculator's own transfers that a person starts
// with its keys (receive, send, screen, ROM loader), reached through Post.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "sim/calc_link.h"
#include "sim/calc_memory.h"
#include "sim/faults.h"
#include "sim/rpl_machine.h"

namespace bridgit::sim {

enum class TServerMode { kOn, kOff, kKermit };

struct TServerOptions {
  TServerMode mode = TServerMode::kOn;
  int evalMs = 20;  // how long the server is deaf after each evaluation
  int speed = 0;    // the speed the server runs at (0: the PC's, whatever it is)
};

class TCalcServer {
 public:
  TCalcServer(TCalcLink& link, TCalcMemory& memory, TCalcIdentity identity, TFaults& faults, TServerOptions options);

  // Runs until `stop` is set: serves the PC while the server runs and carries
  // out the posted key presses.
  void Run(const std::atomic<bool>& stop);
  // Queues a person's action (runs on the server's thread).
  void Post(std::function<void()> action);
  // The cancel key: the exchange in progress ends at once (safe from any thread).
  void Abort();

  // Key presses (call through Post).
  void StartServer();
  void QuitServer() { serving_ = false; }
  void ManualReceive(const std::string& name);
  void ManualSend(const std::string& name);
  void SendScreen(const std::string& layout);
  void RomLoader();

  bool Serving() const { return serving_; }
  // The outcome of the last key press ("ok ..." or "error ...").
  std::string LastResult() const;
  TRplMachine& Machine() { return machine_; }
  // What the PC sent before the calculator listened again, since last asked.
  int TakeEarlyBytes() { return link_.TakeEarlyBytes(); }

 private:
  void ServeOne(char letter);
  // A "nak" fault: this block or packet is refused (COUNT times in a row).
  bool Refuse();
  bool SendPacket(const std::string& payload);
  bool ReceivePacket(std::string& payload);
  // XModem, the calculator sending (after the PC's start request) or receiving.
  bool SendObject(const std::string& fileBytes, int startWaitMs);
  bool ReceiveObject(std::string& fileBytes, int startWaitMs);
  std::string ObjectFile(const TObj& o) const;
  bool StoreFile(const std::string& name, const std::string& fileBytes);
  std::string ScreenBitmap(int width, int height);
  void SetResult(const std::string& r);
  // The calculator's own commands (its keys, the archive program) run at its
  // configured speed; the server at its own. Restores the server's on exit.
  class TOwnSpeed {
   public:
    explicit TOwnSpeed(TCalcServer& s) : s_(s) { s_.link_.SetLineSpeed(s_.identity_.speed); }
    ~TOwnSpeed() { s_.link_.SetLineSpeed(s_.options_.speed); }
    TOwnSpeed(const TOwnSpeed&) = delete;
    TOwnSpeed& operator=(const TOwnSpeed&) = delete;

   private:
    TCalcServer& s_;
  };

  TCalcLink& link_;
  TCalcMemory& memory_;
  TCalcIdentity identity_;
  TFaults& faults_;
  TServerOptions options_;
  TRplMachine machine_;
  std::atomic<bool> serving_;
  const bool startedWithServer_;
  mutable std::mutex mutex_;
  std::deque<std::function<void()>> actions_;
  std::string lastResult_ = "ok";
  int refusals_ = 0;
};

}  // namespace bridgit::sim

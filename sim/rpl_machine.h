// The simulator's RPL: compiles calculator text into objects and evaluates
// them against the stack and the memory. It covers every text that Bridgit
// sends and what a person would first type; an unknown command leaves an error,
// as on a calculator, and never stops the simulator.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sim/calc_memory.h"
#include "sim/rpl_objects.h"

namespace bridgit::sim {

struct TCalcIdentity {
  std::string family = "73";       // "71" or "73"
  std::string modelName = "73";    // shown by VERSION
  std::string romRevision = "2.15";
  int speed = 115200;              // the calculator's own configured speed (IOPAR)
};

class TRplMachine {
 public:
  TRplMachine(TCalcMemory& memory, TCalcIdentity identity) : memory_(memory), identity_(std::move(identity)) {}

  // Compiles calculator text into the sequence of objects it denotes.
  std::vector<TObj> Compile(const std::string& text) const;
  // Evaluates a command line; an error stops it and is kept in LastError()
  // until the next error or ERR0, as ERRM and ERRN give it. False when an
  // error stopped it.
  bool Execute(const std::string& text);
  void Run(const std::vector<TObj>& objects);

  std::vector<TObj>& Stack() { return stack_; }
  const std::string& LastError() const { return lastError_; }
  std::uint64_t LastErrorNumber() const { return lastErrorNumber_; }
  // Lines the calculator's DISP put on its display (for the screen picture).
  const std::vector<std::string>& Display() const { return display_; }

  // Hooks of the simulator around the language.
  std::function<void()> onArchive;   // the archive program asks to send the memory
  std::function<void()> onRestore;   // RESTORE replaced the memory: the server ends
  std::function<void(int ms)> onWait;

  // What the built-in commands work on.
  void Eval(const TObj& o);
  void Push(TObj o) { stack_.push_back(std::move(o)); }
  TObj Pop();
  double PopReal();
  // A name given as 'NAME' or NAME; anything else is a wrong argument.
  std::string PopName();
  // Fails with the calculator's error unless the stack holds n objects.
  void Need(std::size_t n) const;
  // Keeps an error for ERRM and ERRN; the empty message clears it.
  void KeepError(const std::string& message);
  TCalcMemory& Memory() { return memory_; }
  const TCalcIdentity& Identity() const { return identity_; }
  // Whether numbers are written with a comma as fraction mark.
  bool CommaMark() const { return memory_.Flag(-51); }
  // Puts text on a line of the display (1 to 8; others are ignored).
  void Show(int line, std::string text);
  void ClearDisplay() { display_.assign(8, ""); }

 private:
  void EvalName(const std::string& name);
  void Command(int id);
  // Control structures: the matching THEN/ELSE/END of the IF or IFERR at `pc`.
  void Structure(const std::vector<TObj>& code, std::size_t& pc, bool isIfErr);

  TCalcMemory& memory_;
  TCalcIdentity identity_;
  std::vector<TObj> stack_;
  std::string lastError_;
  std::uint64_t lastErrorNumber_ = 0;
  std::vector<std::string> display_ = std::vector<std::string>(8);
};

}  // namespace bridgit::sim

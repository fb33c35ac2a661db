// What the control socket's commands do: the calculator's keys pressed on the
// server's thread, its state read back, faults armed. One command a line:
//   server | abort | quit-server | xrecv NAME | xsend NAME
//   screen page|header|legacy | rom | status | error | early | dump
//   fault SPEC | clear-faults (answers how many of them never fired)
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "sim/calc_memory.h"
#include "sim/calc_server.h"
#include "sim/faults.h"

namespace bridgit::sim {

class TControlCommands {
 public:
  TControlCommands(TCalcServer& calc, TCalcMemory& memory, TFaults& faults);
  // A command line -> its answer: "ok ...", "error ...", or the dump's lines
  // ending with "end".
  std::string Answer(const std::string& line);

  // How long a dump waits for the server, which may be in the middle of an
  // exchange; then it answers with what it has.
  static constexpr std::chrono::seconds kDumpWait{30};

 private:
  // An action for the server's thread; a wrong argument is an unknown command.
  std::string Press(std::function<void()> action);
  std::string Dump();

  TCalcServer& calc_;
  TCalcMemory& memory_;
  TFaults& faults_;
  // By command word; each takes the rest of the line and answers, or gives
  // nothing when the argument does not fit.
  std::map<std::string, std::function<std::optional<std::string>(const std::string&)>> commands_;
};

}  // namespace bridgit::sim

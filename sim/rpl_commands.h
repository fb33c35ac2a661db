// The built-in commands of the simulator's RPL, found by their id: each kind
// of command (stack, arithmetic, lists, conversions, memory, flags, display,
// system, errors) fills its entries from its own file.
#pragma once

#include <string_view>
#include <vector>

#include "sim/rpl_machine.h"

namespace bridgit::sim {

using TCommand = void (*)(TRplMachine& machine);

class TCommandTable {
 public:
  TCommandTable();
  // name: one of CommandNames(); anything else is a fault of the simulator.
  void Add(std::string_view name, TCommand run);
  // Nothing for a command that only has a meaning inside a structure
  // (THEN, ELSE, END) or an id out of range.
  TCommand At(int id) const;

 private:
  std::vector<TCommand> byId_;
};

// Every built-in command, built once.
const TCommandTable& Commands();

void AddStackCommands(TCommandTable& table);
void AddArithmeticCommands(TCommandTable& table);
void AddListCommands(TCommandTable& table);
void AddConversionCommands(TCommandTable& table);
void AddMemoryCommands(TCommandTable& table);
void AddFlagCommands(TCommandTable& table);
void AddDisplayCommands(TCommandTable& table);
void AddSystemCommands(TCommandTable& table);
void AddErrorCommands(TCommandTable& table);

}  // namespace bridgit::sim

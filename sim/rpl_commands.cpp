#include "sim/rpl_commands.h"

#include <stdexcept>
#include <string>

namespace bridgit::sim {

TCommandTable::TCommandTable() : byId_(CommandNames().size(), nullptr) {}

void TCommandTable::Add(std::string_view name, TCommand run) {
  const int id = CommandId(name);
  if (id < 0) throw std::logic_error("not a built-in command: " + std::string(name));
  byId_[static_cast<std::size_t>(id)] = run;
}

TCommand TCommandTable::At(int id) const {
  return id >= 0 && static_cast<std::size_t>(id) < byId_.size() ? byId_[static_cast<std::size_t>(id)] : nullptr;
}

const TCommandTable& Commands() {
  static const TCommandTable table = [] {
    TCommandTable t;
    AddStackCommands(t);
    AddArithmeticCommands(t);
    AddListCommands(t);
    AddConversionCommands(t);
    AddMemoryCommands(t);
    AddFlagCommands(t);
    AddDisplayCommands(t);
    AddSystemCommands(t);
    AddErrorCommands(t);
    return t;
  }();
  return table;
}

}  // namespace bridgit::sim

// Commands on the calculator's display.
#include "sim/rpl_commands.h"

namespace bridgit::sim {

void AddDisplayCommands(TCommandTable& t) {
  t.Add("DISP", [](TRplMachine& m) {
    const int line = static_cast<int>(m.PopReal());
    const TObj what = m.Pop();
    m.Show(line, PrologOf(what) == kString ? StringValue(what) : Decompile(what, m.CommaMark()));
  });
  t.Add("CLLCD", [](TRplMachine& m) { m.ClearDisplay(); });
  t.Add("STD", [](TRplMachine&) {});  // numbers are always shown in full
}

}  // namespace bridgit::sim

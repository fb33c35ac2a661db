// Commands on the last error, the one ERRM and ERRN report until ERR0.
#include "sim/rpl_commands.h"

namespace bridgit::sim {

void AddErrorCommands(TCommandTable& t) {
  t.Add("ERRM", [](TRplMachine& m) { m.Push(MakeString(m.LastError())); });
  t.Add("ERRN", [](TRplMachine& m) { m.Push(MakeHex(m.LastErrorNumber())); });
  t.Add("ERR0", [](TRplMachine& m) { m.KeepError(""); });
}

}  // namespace bridgit::sim

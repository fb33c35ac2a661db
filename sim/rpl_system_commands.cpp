// Commands about the calculator itself: its identity, its port, its backup,
// and the system calls the PC's programs make.
#include "sim/rpl_commands.h"

namespace bridgit::sim {

namespace {

void Version(TRplMachine& m) {
  const TCalcIdentity& id = m.Identity();
  m.Push(MakeString("Version ZQ-" + id.modelName + " Revision #" + id.romRevision));
  m.Push(MakeString("Copyright Orrindale Calculators"));
}

void Wait(TRplMachine& m) {
  const TObj seconds = m.Pop();
  if (m.onWait && PrologOf(seconds) == kReal) m.onWait(static_cast<int>(RealValue(seconds) * 1000));
}

}  // namespace

void AddSystemCommands(TCommandTable& t) {
  t.Add("VERSION", Version);
  t.Add("IOPAR", [](TRplMachine& m) {
    m.Push(MakeComposite(kList, {MakeReal(m.Identity().speed), MakeReal(0), MakeReal(0), MakeReal(0), MakeReal(3), MakeReal(1)}));
  });
  t.Add("WAIT", Wait);
  // Word size and system calls have nothing to do here; their argument goes.
  t.Add("STWS", [](TRplMachine& m) { m.Pop(); });
  t.Add("SYSEVAL", [](TRplMachine& m) { m.Pop(); });
  t.Add("NEWOB", [](TRplMachine&) {});
  t.Add("SERVER", [](TRplMachine&) {});
  t.Add("ARCHIVESEND", [](TRplMachine& m) {
    if (m.onArchive) m.onArchive();
  });
  t.Add("RESTORE", [](TRplMachine& m) {
    m.Memory().Restore(m.Pop());
    if (m.onRestore) m.onRestore();
  });
}

}  // namespace bridgit::sim

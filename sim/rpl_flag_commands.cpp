// Commands that test and set the calculator's flags, the angle modes among them.
#include "sim/rpl_commands.h"

namespace bridgit::sim {

namespace {

int PopFlag(TRplMachine& m) { return static_cast<int>(m.PopReal()); }

// Flags -17 and -18 hold the angle mode.
void SetAngleMode(TRplMachine& m, bool flag17, bool flag18) {
  m.Memory().SetFlag(-17, flag17);
  m.Memory().SetFlag(-18, flag18);
}

// The system flags, or a list of the system and the user flags.
void StoreFlags(TRplMachine& m) {
  const TObj f = m.Pop();
  TCalcMemory& memory = m.Memory();
  if (PrologOf(f) != kList) {
    memory.systemFlags = HexValue(f);
    return;
  }
  const auto items = Elements(f);
  if (!items.empty()) memory.systemFlags = HexValue(items[0]);
  if (items.size() > 1) memory.userFlags = HexValue(items[1]);
}

}  // namespace

void AddFlagCommands(TCommandTable& t) {
  t.Add("FS?", [](TRplMachine& m) { m.Push(MakeReal(m.Memory().Flag(PopFlag(m)) ? 1 : 0)); });
  t.Add("FC?", [](TRplMachine& m) { m.Push(MakeReal(m.Memory().Flag(PopFlag(m)) ? 0 : 1)); });
  t.Add("SF", [](TRplMachine& m) { m.Memory().SetFlag(PopFlag(m), true); });
  t.Add("CF", [](TRplMachine& m) { m.Memory().SetFlag(PopFlag(m), false); });
  t.Add("RCLF", [](TRplMachine& m) {
    m.Push(MakeComposite(kList, {MakeHex(m.Memory().systemFlags), MakeHex(m.Memory().userFlags)}));
  });
  t.Add("STOF", StoreFlags);
  t.Add("DEG", [](TRplMachine& m) { SetAngleMode(m, false, false); });
  t.Add("RAD", [](TRplMachine& m) { SetAngleMode(m, true, false); });
  t.Add("GRAD", [](TRplMachine& m) { SetAngleMode(m, false, true); });
}

}  // namespace bridgit::sim

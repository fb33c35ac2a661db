// Commands that turn objects into text and back, and tell an object's type
// and size.
#include "sim/rpl_commands.h"

#include "sim/calc_xmodem.h"

namespace bridgit::sim {

namespace {

const std::string kArrow(1, static_cast<char>(141));

// A string is compiled and run; a list is spread on the stack with its count.
void FromText(TRplMachine& m) {
  const TObj o = m.Pop();
  if (PrologOf(o) == kString) {
    try {
      m.Run(m.Compile(StringValue(o)));
    } catch (const TRplError&) {
      // With flag -55 clear the calculator returns a failed command's argument.
      if (!m.Memory().Flag(-55)) m.Push(o);
      throw;
    }
  } else if (PrologOf(o) == kList) {
    const auto items = Elements(o);
    for (const auto& i : items) m.Push(i);
    m.Push(MakeReal(static_cast<double>(items.size())));
  } else {
    m.Push(o);
  }
}

}  // namespace

void AddConversionCommands(TCommandTable& t) {
  t.Add(kArrow + "STR", [](TRplMachine& m) {
    const TObj o = m.Pop();
    m.Push(PrologOf(o) == kString ? o : MakeString(Decompile(o, m.CommaMark())));
  });
  t.Add("STR" + kArrow, FromText);
  t.Add("OBJ" + kArrow, FromText);
  t.Add("TYPE", [](TRplMachine& m) { m.Push(MakeReal(TypeNumber(PrologOf(m.Pop())))); });
  // The object's checksum (#h) and its size in bytes: a PC compares checksums
  // to find an object changed without fetching it.
  t.Add("BYTES", [](TRplMachine& m) {
    const TObj o = m.Pop();
    m.Push(MakeHex(ArcCrc(ToBytes(o))));
    m.Push(MakeReal(static_cast<double>(o.size()) / 2));
  });
}

}  // namespace bridgit::sim

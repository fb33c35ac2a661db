// Commands that move, copy and drop the objects on the stack, and EVAL.
#include "sim/rpl_commands.h"

namespace bridgit::sim {

namespace {

// The object n levels up (1 is the top); the caller has checked the depth.
const TObj& Level(TRplMachine& m, std::size_t n) { return m.Stack()[m.Stack().size() - n]; }

}  // namespace

void AddStackCommands(TCommandTable& t) {
  t.Add("DUP", [](TRplMachine& m) { m.Need(1); m.Push(Level(m, 1)); });
  t.Add("DUP2", [](TRplMachine& m) {
    m.Need(2);
    const TObj a = Level(m, 2), b = Level(m, 1);
    m.Push(a);
    m.Push(b);
  });
  t.Add("DUPN", [](TRplMachine& m) {
    const auto n = static_cast<std::size_t>(m.PopReal());
    m.Need(n);
    for (std::size_t k = 0; k < n; ++k) m.Push(Level(m, n));
  });
  t.Add("DROP", [](TRplMachine& m) { m.Pop(); });
  t.Add("DROP2", [](TRplMachine& m) { m.Need(2); m.Pop(); m.Pop(); });
  t.Add("SWAP", [](TRplMachine& m) { m.Need(2); std::swap(m.Stack()[m.Stack().size() - 1], m.Stack()[m.Stack().size() - 2]); });
  t.Add("OVER", [](TRplMachine& m) { m.Need(2); m.Push(Level(m, 2)); });
  t.Add("ROT", [](TRplMachine& m) {
    m.Need(3);
    const TObj c = Level(m, 3);
    m.Stack().erase(m.Stack().end() - 3);
    m.Push(c);
  });
  t.Add("CLEAR", [](TRplMachine& m) { m.Stack().clear(); });
  t.Add("DEPTH", [](TRplMachine& m) { m.Push(MakeReal(static_cast<double>(m.Stack().size()))); });
  t.Add("EVAL", [](TRplMachine& m) { m.Eval(m.Pop()); });
}

}  // namespace bridgit::sim

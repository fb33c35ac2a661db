// Arithmetic, comparisons and NOT.
#include "sim/rpl_commands.h"

namespace bridgit::sim {

namespace {

// Adds numbers; a list takes the other object in, a string too.
void Add(TRplMachine& m) {
  m.Need(2);
  const TObj b = m.Pop(), a = m.Pop();
  const std::uint32_t pa = PrologOf(a), pb = PrologOf(b);
  if (pa == kReal && pb == kReal) return m.Push(MakeReal(RealValue(a) + RealValue(b)));
  if (pa == kList || pb == kList) {
    auto items = pa == kList ? Elements(a) : std::vector<TObj>{a};
    if (pb == kList)
      for (const auto& i : Elements(b)) items.push_back(i);
    else
      items.push_back(b);
    return m.Push(MakeComposite(kList, items));
  }
  if (pa == kString || pb == kString) {
    const bool comma = m.CommaMark();
    const auto text = [comma](const TObj& o) { return PrologOf(o) == kString ? StringValue(o) : Decompile(o, comma); };
    return m.Push(MakeString(text(a) + text(b)));
  }
  m.Push(a);
  m.Push(b);
  throw TRplError{"Bad Argument Type"};
}

// Two reals off the stack into one.
template <typename F>
void Binary(TRplMachine& m, F f) {
  m.Need(2);
  const double b = m.PopReal(), a = m.PopReal();
  m.Push(MakeReal(f(a, b)));
}

}  // namespace

void AddArithmeticCommands(TCommandTable& t) {
  t.Add("+", Add);
  t.Add("-", [](TRplMachine& m) { Binary(m, [](double a, double b) { return a - b; }); });
  t.Add("*", [](TRplMachine& m) { Binary(m, [](double a, double b) { return a * b; }); });
  t.Add("/", [](TRplMachine& m) {
    Binary(m, [](double a, double b) {
      if (b == 0) throw TRplError{"Infinite Result"};
      return a / b;
    });
  });
  t.Add("<", [](TRplMachine& m) { Binary(m, [](double a, double b) { return a < b ? 1.0 : 0.0; }); });
  t.Add(">", [](TRplMachine& m) { Binary(m, [](double a, double b) { return a > b ? 1.0 : 0.0; }); });
  t.Add("==", [](TRplMachine& m) {
    m.Need(2);
    const TObj b = m.Pop(), a = m.Pop();
    m.Push(MakeReal(a == b ? 1 : 0));
  });
  t.Add("NEG", [](TRplMachine& m) { m.Push(MakeReal(-m.PopReal())); });
  t.Add("NOT", [](TRplMachine& m) { m.Push(MakeReal(IsTrue(m.Pop()) ? 0 : 1)); });
}

}  // namespace bridgit::sim

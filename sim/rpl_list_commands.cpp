// Commands that build lists and take them apart.
#include "sim/rpl_commands.h"

namespace bridgit::sim {

namespace {

const std::string kArrow(1, static_cast<char>(141));

// The program run on each run of n neighbours of a list; what each run leaves
// is gathered into one list.
void DoSubs(TRplMachine& m) {
  const TObj program = m.Pop();
  const auto n = static_cast<std::size_t>(m.PopReal());
  const auto items = Elements(m.Pop());
  std::vector<TObj> results;
  auto& stack = m.Stack();
  for (std::size_t k = 0; k + n <= items.size(); ++k) {
    const std::size_t before = stack.size();
    for (std::size_t j = 0; j < n; ++j) m.Push(items[k + j]);
    m.Eval(program);
    for (std::size_t j = before; j < stack.size(); ++j) results.push_back(stack[j]);
    stack.resize(before);
  }
  m.Push(MakeComposite(kList, results));
}

}  // namespace

void AddListCommands(TCommandTable& t) {
  t.Add(kArrow + "LIST", [](TRplMachine& m) {
    const auto n = static_cast<std::size_t>(m.PopReal());
    m.Need(n);
    auto& stack = m.Stack();
    std::vector<TObj> items(stack.end() - static_cast<std::ptrdiff_t>(n), stack.end());
    stack.resize(stack.size() - n);
    m.Push(MakeComposite(kList, items));
  });
  t.Add("GET", [](TRplMachine& m) {
    const auto n = static_cast<std::size_t>(m.PopReal());
    const auto items = Elements(m.Pop());
    if (n < 1 || n > items.size()) throw TRplError{"Bad Argument Value"};
    m.Push(items[n - 1]);
  });
  t.Add("SIZE", [](TRplMachine& m) {
    const TObj o = m.Pop();
    m.Push(MakeReal(static_cast<double>(PrologOf(o) == kString ? StringValue(o).size() : Elements(o).size())));
  });
  t.Add("DOSUBS", DoSubs);
}

}  // namespace bridgit::sim

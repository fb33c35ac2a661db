// Commands on the variables and folders of the memory.
#include "sim/rpl_commands.h"

namespace bridgit::sim {

namespace {

void Recall(TRplMachine& m) {
  TVar* v = m.Memory().Lookup(m.PopName());
  if (!v) throw TRplError{"Undefined Name"};
  m.Push(v->IsDir() ? v->dir->ToObject() : v->object);
}

// One name, or a list of them.
void Purge(TRplMachine& m) {
  m.Need(1);
  if (PrologOf(m.Stack().back()) != kList) return m.Memory().Purge(m.PopName());
  for (const TObj& n : Elements(m.Pop())) m.Memory().Purge(PrologOf(n) == kGlobal ? NameValue(n) : AlgebraicText(n));
}

// The type of what a name holds, found as evaluating the name finds it; -1
// for nothing.
void VarType(TRplMachine& m) {
  const TVar* v = m.Memory().Lookup(m.PopName());
  m.Push(MakeReal(!v ? -1 : v->IsDir() ? TypeNumber(kDirectory) : TypeNumber(PrologOf(v->object))));
}

void Names(TRplMachine& m) {
  std::vector<TObj> names;
  for (const TVar& v : m.Memory().Current().vars) names.push_back(MakeName(v.name));
  m.Push(MakeComposite(kList, names));
}

void Path(TRplMachine& m) {
  std::vector<TObj> names;
  // HOME as the command, so that the path evaluated goes back to it.
  for (const auto& p : m.Memory().Path()) names.push_back(names.empty() ? MakeCommand(CommandId("HOME")) : MakeName(p));
  m.Push(MakeComposite(kList, names));
}

}  // namespace

void AddMemoryCommands(TCommandTable& t) {
  t.Add("STO", [](TRplMachine& m) {
    m.Need(2);
    const std::string target = m.PopName();
    m.Memory().Store(target, m.Pop());
  });
  t.Add("RCL", Recall);
  t.Add("PURGE", Purge);
  t.Add("PGDIR", [](TRplMachine& m) { m.Memory().PurgeDir(m.PopName()); });
  t.Add("CRDIR", [](TRplMachine& m) { m.Memory().CreateDir(m.PopName()); });
  t.Add("HOME", [](TRplMachine& m) { m.Memory().GoHome(); });
  t.Add("UPDIR", [](TRplMachine& m) { m.Memory().UpDir(); });
  t.Add("VARS", Names);
  t.Add("VTYPE", VarType);
  t.Add("PATH", Path);
  t.Add("MEM", [](TRplMachine& m) { m.Push(MakeReal(static_cast<double>(m.Memory().FreeBytes()))); });
}

}  // namespace bridgit::sim

#include "sim/rpl_machine.h"

#include <stdexcept>

#include "sim/rpl_commands.h"
#include "sim/rpl_compiler.h"

namespace bridgit::sim {

namespace {

// The commands that open, divide and close a structure, looked up once.
struct TStructureIds {
  int ifId = CommandId("IF"), ifErr = CommandId("IFERR"), then = CommandId("THEN"), otherwise = CommandId("ELSE"),
      end = CommandId("END");
};

const TStructureIds& StructureIds() {
  static const TStructureIds ids;
  return ids;
}

bool IsCommand(const TObj& o, int id) { return PrologOf(o) == kCommandBase + static_cast<std::uint32_t>(id); }

// The calculator's numbers of its error messages (ERRN); 0 is no error.
std::uint64_t ErrorNumber(const std::string& message) {
  static const std::vector<std::pair<std::string, std::uint64_t>> numbers = {
      {"Insufficient Memory", 0x001}, {"Invalid Syntax", 0x106},      {"Too Few Arguments", 0x201},
      {"Bad Argument Type", 0x202},   {"Bad Argument Value", 0x203},  {"Undefined Name", 0x204},
      {"Infinite Result", 0x305},     {"Invalid Name", 0x102},        {"Name Conflict", 0x10C},
      {"Non-Empty Directory", 0x12B}, {"Directory Not Allowed", 0x12C}, {"Invalid object", 0x10A}};
  for (const auto& [text, number] : numbers)
    if (text == message) return number;
  return 0x203;
}

}  // namespace

std::vector<TObj> TRplMachine::Compile(const std::string& text) const { return CompileText(text); }

bool TRplMachine::Execute(const std::string& text) {
  try {
    Run(Compile(text));
    return true;
  } catch (const TRplError& e) {
    KeepError(e.message);
  } catch (const std::exception&) {
    // A text the machine cannot handle fails as a calculator does, with an
    // error left behind; it never ends the simulator.
    KeepError("Bad Argument Value");
  }
  return false;
}

void TRplMachine::KeepError(const std::string& message) {
  lastError_ = message;
  lastErrorNumber_ = message.empty() ? 0 : ErrorNumber(message);
}

void TRplMachine::Need(std::size_t n) const {
  if (stack_.size() < n) throw TRplError{"Too Few Arguments"};
}

TObj TRplMachine::Pop() {
  Need(1);
  TObj o = std::move(stack_.back());
  stack_.pop_back();
  return o;
}

double TRplMachine::PopReal() {
  Need(1);
  const double v = RealValue(stack_.back());
  stack_.pop_back();
  return v;
}

std::string TRplMachine::PopName() {
  Need(1);
  const TObj o = Pop();
  if (PrologOf(o) == kGlobal) return NameValue(o);
  if (PrologOf(o) == kAlgebraic) return AlgebraicText(o);
  stack_.push_back(o);
  throw TRplError{"Bad Argument Type"};
}

void TRplMachine::Run(const std::vector<TObj>& code) {
  for (std::size_t pc = 0; pc < code.size(); ++pc) {
    const TObj& o = code[pc];
    const std::uint32_t prolog = PrologOf(o);
    if (prolog >= kCommandBase && prolog < kCommandBase + CommandNames().size()) {
      const int id = static_cast<int>(prolog - kCommandBase);
      if (id == StructureIds().ifId || id == StructureIds().ifErr) {
        Structure(code, pc, id == StructureIds().ifErr);
        continue;
      }
      // A command that fails gives its arguments back, as the calculator does.
      const std::vector<TObj> saved = stack_;
      try {
        Command(id);
      } catch (const TRplError&) {
        stack_ = saved;
        throw;
      }
    }
    else if (prolog == kGlobal)
      EvalName(NameValue(o));
    else
      stack_.push_back(o);
  }
}

void TRplMachine::Eval(const TObj& o) {
  switch (PrologOf(o)) {
    case kProgram: Run(Elements(o)); break;
    case kList: Run(Elements(o)); break;  // a path such as PATH gives: { HOME WORK } EVAL
    case kGlobal: EvalName(NameValue(o)); break;
    case kAlgebraic: {
      const std::string text = AlgebraicText(o);
      TVar* v = memory_.Lookup(text);
      if (v) EvalName(text);
      else stack_.push_back(o);
      break;
    }
    default: stack_.push_back(o);
  }
}

void TRplMachine::EvalName(const std::string& name) {
  TVar* v = memory_.Lookup(name);
  if (!v) {
    stack_.push_back(MakeAlgebraic(name));
    return;
  }
  if (v->IsDir()) {
    memory_.Enter(*v->dir);
    return;
  }
  const TObj content = v->object;
  if (PrologOf(content) == kProgram)
    Run(Elements(content));
  else
    stack_.push_back(content);
}

void TRplMachine::Structure(const std::vector<TObj>& code, std::size_t& pc, bool isIfErr) {
  // Finds THEN, ELSE and END of this structure at its own nesting level.
  std::size_t thenAt = 0, elseAt = 0, endAt = 0;
  int depth = 0;
  const TStructureIds& ids = StructureIds();
  for (std::size_t k = pc + 1; k < code.size() && !endAt; ++k) {
    if (IsCommand(code[k], ids.ifId) || IsCommand(code[k], ids.ifErr)) ++depth;
    else if (IsCommand(code[k], ids.end) && depth > 0) --depth;
    else if (depth == 0 && IsCommand(code[k], ids.then) && !thenAt) thenAt = k;
    else if (depth == 0 && IsCommand(code[k], ids.otherwise) && thenAt && !elseAt) elseAt = k;
    else if (depth == 0 && IsCommand(code[k], ids.end)) endAt = k;
  }
  if (!thenAt || !endAt) throw TRplError{"Invalid Syntax"};
  const auto part = [&](std::size_t from, std::size_t to) {
    return std::vector<TObj>(code.begin() + static_cast<std::ptrdiff_t>(from), code.begin() + static_cast<std::ptrdiff_t>(to));
  };
  const std::vector<TObj> test = part(pc + 1, thenAt);
  const std::vector<TObj> yes = part(thenAt + 1, elseAt ? elseAt : endAt);
  const std::vector<TObj> no = elseAt ? part(elseAt + 1, endAt) : std::vector<TObj>{};
  if (isIfErr) {
    bool failed = false;
    try {
      Run(test);
    } catch (const TRplError& e) {
      KeepError(e.message);  // a trapped error is the last error too
      failed = true;
    }
    Run(failed ? yes : no);
  } else {
    Run(test);
    Run(IsTrue(Pop()) ? yes : no);
  }
  pc = endAt;
}

void TRplMachine::Command(int id) {
  const TCommand run = Commands().At(id);
  if (!run) throw TRplError{"Invalid Syntax"};  // THEN, ELSE or END out of place
  run(*this);
}

void TRplMachine::Show(int line, std::string text) {
  if (line >= 1 && line <= 8) display_[static_cast<std::size_t>(line - 1)] = std::move(text);
}

}  // namespace bridgit::sim

#include "sim/rpl_machine.h"

#include <cctype>
#include <cmath>
#include <stdexcept>

#include "sim/calc_xmodem.h"

namespace bridgit::sim {

namespace {

constexpr char kOpen = static_cast<char>(171);
constexpr char kClose = static_cast<char>(187);
constexpr char kArrow = static_cast<char>(141);

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

int Id(std::string_view name) { return CommandId(name); }

bool IsCommand(const TObj& o, std::string_view name) {
  return PrologOf(o) == kCommandBase + static_cast<std::uint32_t>(Id(name));
}

// Reads one number token; false when the token is not a number.
bool ParseNumber(const std::string& token, double& value) {
  std::string t = token;
  for (char& c : t)
    if (c == ',') c = '.';
  if (t.empty() || !(std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '.' || t[0] == '-' || t[0] == '+'))
    return false;
  char* end = nullptr;
  value = std::strtod(t.c_str(), &end);
  return end && *end == '\0' && t != "-" && t != "+" && t != ".";
}

class TCompiler {
 public:
  explicit TCompiler(const std::string& text) : s_(text) {}

  std::vector<TObj> Sequence(char closer) {
    std::vector<TObj> out;
    for (;;) {
      Skip();
      if (i_ >= s_.size()) {
        if (closer) throw TRplError{"Invalid Syntax"};
        return out;
      }
      if (closer && s_[i_] == closer) {
        ++i_;
        return out;
      }
      out.push_back(One());
    }
  }

 private:
  void Skip() {
    while (i_ < s_.size() && IsSpace(s_[i_])) ++i_;
  }

  TObj One() {
    const char c = s_[i_];
    if (c == '"') return String();
    if (c == '{') {
      ++i_;
      return MakeComposite(kList, Sequence('}'));
    }
    if (c == kOpen) {
      ++i_;
      return MakeComposite(kProgram, Sequence(kClose));
    }
    if (c == '\'') return Quoted();
    std::string token;
    while (i_ < s_.size() && !IsSpace(s_[i_]) && s_[i_] != '{' && s_[i_] != '}' && s_[i_] != '"' &&
           s_[i_] != kOpen && s_[i_] != kClose)
      token += s_[i_++];
    if (token.empty()) throw TRplError{"Invalid Syntax"};
    if (token == "#") {  // "# FF00h": the calculator writes a space after the mark
      Skip();
      while (i_ < s_.size() && !IsSpace(s_[i_])) token += s_[i_++];
    }
    double v;
    if (ParseNumber(token, v)) return MakeReal(v);
    if (token[0] == '#') return Binary(token);
    if (token.size() > 3 && token.front() == '<' && token.back() == '>' && token[token.size() - 2] == 'd')
      return SystemBinary(token.substr(1, token.size() - 3));
    if (const int id = Id(token); id >= 0) return MakeCommand(id);
    return MakeName(token);
  }

  // "<123d>": a system binary in decimal.
  static TObj SystemBinary(const std::string& digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) throw TRplError{"Invalid Syntax"};
    try {
      const unsigned long value = std::stoul(digits);
      if (value > 0xFFFFF) throw TRplError{"Bad Argument Value"};
      return MakeSystemBinary(static_cast<std::uint32_t>(value));
    } catch (const std::out_of_range&) {
      throw TRplError{"Bad Argument Value"};
    }
  }

  TObj String() {
    ++i_;
    std::string chars;
    while (i_ < s_.size() && s_[i_] != '"') {
      if (s_[i_] == '\\' && i_ + 1 < s_.size() && (s_[i_ + 1] == '"' || s_[i_ + 1] == '\\')) ++i_;
      chars += s_[i_++];
    }
    if (i_ >= s_.size()) throw TRplError{"Invalid Syntax"};
    ++i_;
    return MakeString(chars);
  }

  TObj Quoted() {
    ++i_;
    const std::size_t end = s_.find('\'', i_);
    if (end == std::string::npos) throw TRplError{"Invalid Syntax"};
    std::string text = s_.substr(i_, end - i_);
    i_ = end + 1;
    while (!text.empty() && IsSpace(text.back())) text.pop_back();
    while (!text.empty() && IsSpace(text.front())) text.erase(0, 1);
    if (text.empty()) throw TRplError{"Invalid Syntax"};
    return MakeAlgebraic(text);
  }

  TObj Binary(const std::string& token) {
    std::string digits = token.substr(1);
    while (!digits.empty() && digits.front() == ' ') digits.erase(0, 1);
    int base = 16;
    if (!digits.empty()) {
      switch (digits.back()) {
        case 'h': base = 16; digits.pop_back(); break;
        case 'd': base = 10; digits.pop_back(); break;
        case 'o': base = 8; digits.pop_back(); break;
        case 'b': base = 2; digits.pop_back(); break;
        default: break;
      }
    }
    try {
      return MakeHex(std::stoull(digits, nullptr, base));
    } catch (const std::exception&) {
      throw TRplError{"Invalid Syntax"};
    }
  }

  const std::string& s_;
  std::size_t i_ = 0;
};

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

std::string AlgebraicText(const TObj& o) {
  const auto items = Elements(o);
  return items.empty() ? std::string() : StringValue(items[0]);
}

}  // namespace

// Any failure of the parser is the calculator's syntax error, never an
// exception past it.
std::vector<TObj> TRplMachine::Compile(const std::string& text) const {
  try {
    return TCompiler(text).Sequence(0);
  } catch (const TRplError&) {
    throw;
  } catch (const std::exception&) {
    throw TRplError{"Invalid Syntax"};
  }
}

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
      if (IsCommand(o, "IF") || IsCommand(o, "IFERR")) {
        Command(id, code, pc);
        continue;
      }
      // A command that fails gives its arguments back, as the calculator does.
      const std::vector<TObj> saved = stack_;
      try {
        Command(id, code, pc);
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
  for (std::size_t k = pc + 1; k < code.size() && !endAt; ++k) {
    if (IsCommand(code[k], "IF") || IsCommand(code[k], "IFERR")) ++depth;
    else if (IsCommand(code[k], "END") && depth > 0) --depth;
    else if (depth == 0 && IsCommand(code[k], "THEN") && !thenAt) thenAt = k;
    else if (depth == 0 && IsCommand(code[k], "ELSE") && thenAt && !elseAt) elseAt = k;
    else if (depth == 0 && IsCommand(code[k], "END")) endAt = k;
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

void TRplMachine::Command(int id, const std::vector<TObj>& code, std::size_t& pc) {
  const std::string& name = CommandNames()[static_cast<std::size_t>(id)];
  const bool comma = memory_.Flag(-51);
  auto real = [this](double v) { stack_.push_back(MakeReal(v)); };
  if (name == "+") {
    Need(2);
    const TObj b = Pop(), a = Pop();
    const std::uint32_t pa = PrologOf(a), pb = PrologOf(b);
    if (pa == kReal && pb == kReal) return real(RealValue(a) + RealValue(b));
    // A list takes the other object in, a string too.
    if (pa == kList || pb == kList) {
      auto items = pa == kList ? Elements(a) : std::vector<TObj>{a};
      if (pb == kList)
        for (const auto& i : Elements(b)) items.push_back(i);
      else
        items.push_back(b);
      stack_.push_back(MakeComposite(kList, items));
      return;
    }
    if (pa == kString || pb == kString) {
      const auto text = [comma](const TObj& o) { return PrologOf(o) == kString ? StringValue(o) : Decompile(o, comma); };
      stack_.push_back(MakeString(text(a) + text(b)));
      return;
    }
    stack_.push_back(a), stack_.push_back(b);
    throw TRplError{"Bad Argument Type"};
  }
  if (name == "-" || name == "*" || name == "/" || name == "==" || name == "<" || name == ">") {
    Need(2);
    if (name == "==") {
      const TObj b = Pop(), a = Pop();
      return real(a == b ? 1 : 0);
    }
    const double b = PopReal(), a = PopReal();
    if (name == "-") return real(a - b);
    if (name == "*") return real(a * b);
    if (name == "<") return real(a < b);
    if (name == ">") return real(a > b);
    if (b == 0) throw TRplError{"Infinite Result"};
    return real(a / b);
  }
  if (name == "NEG") return real(-PopReal());
  if (name == "NOT") return real(IsTrue(Pop()) ? 0 : 1);
  if (name == "DUP") { Need(1); stack_.push_back(stack_.back()); return; }
  if (name == "DUP2") { Need(2); const auto a = stack_[stack_.size() - 2], b = stack_.back(); stack_.push_back(a); stack_.push_back(b); return; }
  if (name == "DROP") { Pop(); return; }
  if (name == "DROP2") { Need(2); Pop(); Pop(); return; }
  if (name == "SWAP") { Need(2); std::swap(stack_[stack_.size() - 1], stack_[stack_.size() - 2]); return; }
  if (name == "OVER") { Need(2); stack_.push_back(stack_[stack_.size() - 2]); return; }
  if (name == "ROT") { Need(3); const TObj c = stack_[stack_.size() - 3]; stack_.erase(stack_.end() - 3); stack_.push_back(c); return; }
  if (name == "CLEAR") { stack_.clear(); return; }
  if (name == "DEPTH") return real(static_cast<double>(stack_.size()));
  if (name == "DUPN") {
    const auto n = static_cast<std::size_t>(PopReal());
    Need(n);
    for (std::size_t k = 0; k < n; ++k) stack_.push_back(stack_[stack_.size() - n]);
    return;
  }
  if (name == "STO") {
    Need(2);
    const std::string target = PopName();
    memory_.Store(target, Pop());
    return;
  }
  if (name == "RCL") {
    const std::string target = PopName();
    TVar* v = memory_.Lookup(target);
    if (!v) throw TRplError{"Undefined Name"};
    stack_.push_back(v->IsDir() ? v->dir->ToObject() : v->object);
    return;
  }
  if (name == "PURGE") {
    Need(1);
    if (PrologOf(stack_.back()) == kList) {
      for (const TObj& n : Elements(Pop())) memory_.Purge(PrologOf(n) == kGlobal ? NameValue(n) : AlgebraicText(n));
      return;
    }
    memory_.Purge(PopName());
    return;
  }
  if (name == "PGDIR") { memory_.PurgeDir(PopName()); return; }
  if (name == "CRDIR") { memory_.CreateDir(PopName()); return; }
  if (name == "HOME") { memory_.GoHome(); return; }
  if (name == "UPDIR") { memory_.UpDir(); return; }
  if (name == "EVAL") { Eval(Pop()); return; }
  if (name == "FS?") return real(memory_.Flag(static_cast<int>(PopReal())) ? 1 : 0);
  if (name == "FC?") return real(memory_.Flag(static_cast<int>(PopReal())) ? 0 : 1);
  if (name == "SF") { memory_.SetFlag(static_cast<int>(PopReal()), true); return; }
  if (name == "CF") { memory_.SetFlag(static_cast<int>(PopReal()), false); return; }
  if (name == "RCLF") {
    stack_.push_back(MakeComposite(kList, {MakeHex(memory_.systemFlags), MakeHex(memory_.userFlags)}));
    return;
  }
  if (name == "STOF") {
    const TObj f = Pop();
    if (PrologOf(f) == kList) {
      const auto items = Elements(f);
      if (!items.empty()) memory_.systemFlags = HexValue(items[0]);
      if (items.size() > 1) memory_.userFlags = HexValue(items[1]);
    } else {
      memory_.systemFlags = HexValue(f);
    }
    return;
  }
  if (name == "STWS" || name == "SYSEVAL" || name == "WAIT" || name == "DISP") {
    if (name == "DISP") {
      const int line = static_cast<int>(PopReal());
      const TObj what = Pop();
      if (line >= 1 && line <= 8)
        display_[static_cast<std::size_t>(line - 1)] = PrologOf(what) == kString ? StringValue(what) : Decompile(what, comma);
      return;
    }
    const TObj arg = Pop();
    if (name == "WAIT" && onWait && PrologOf(arg) == kReal) onWait(static_cast<int>(RealValue(arg) * 1000));
    return;
  }
  if (name == "STD" || name == "NEWOB" || name == "SERVER") return;
  if (name == "CLLCD") { display_.assign(8, ""); return; }
  if (name == "DEG") { memory_.SetFlag(-17, false); memory_.SetFlag(-18, false); return; }
  if (name == "RAD") { memory_.SetFlag(-17, true); memory_.SetFlag(-18, false); return; }
  if (name == "GRAD") { memory_.SetFlag(-17, false); memory_.SetFlag(-18, true); return; }
  if (name == "IOPAR") {
    stack_.push_back(MakeComposite(kList, {MakeReal(identity_.speed), MakeReal(0), MakeReal(0), MakeReal(0), MakeReal(3), MakeReal(1)}));
    return;
  }
  if (name == "GET") {
    const auto n = static_cast<std::size_t>(PopReal());
    const auto items = Elements(Pop());
    if (n < 1 || n > items.size()) throw TRplError{"Bad Argument Value"};
    stack_.push_back(items[n - 1]);
    return;
  }
  if (name == "SIZE") {
    const TObj o = Pop();
    return real(static_cast<double>(PrologOf(o) == kString ? StringValue(o).size() : Elements(o).size()));
  }
  if (name == "TYPE") {
    const std::uint32_t p = PrologOf(Pop());
    const double type = p == kReal ? 0 : p == kString ? 2 : p == kList ? 5 : p == kGlobal ? 6 : p == kProgram ? 8
                      : p == kAlgebraic ? 9 : p == kHexString ? 10 : p == kGrob ? 11 : p == kDirectory ? 15 : 20;
    return real(type);
  }
  if (name == "VERSION") {
    stack_.push_back(MakeString("Version ZQ-" + identity_.modelName + " Revision #" + identity_.romRevision));
    stack_.push_back(MakeString("Copyright Orrindale Calculators"));
    return;
  }
  if (name == "MEM") return real(static_cast<double>(memory_.FreeBytes()));
  // The object's checksum (#h) and its size in bytes: a PC compares checksums
  // to find an object changed without fetching it.
  if (name == "BYTES") {
    const TObj o = Pop();
    stack_.push_back(MakeHex(ArcCrc(ToBytes(o))));
    return real(static_cast<double>(o.size()) / 2);
  }
  if (name == "RESTORE") {
    memory_.Restore(Pop());
    if (onRestore) onRestore();
    return;
  }
  if (name == std::string(1, kArrow) + "LIST") {
    const auto n = static_cast<std::size_t>(PopReal());
    Need(n);
    std::vector<TObj> items(stack_.end() - static_cast<std::ptrdiff_t>(n), stack_.end());
    stack_.resize(stack_.size() - n);
    stack_.push_back(MakeComposite(kList, items));
    return;
  }
  if (name == std::string(1, kArrow) + "STR") {
    const TObj o = Pop();
    stack_.push_back(PrologOf(o) == kString ? o : MakeString(Decompile(o, comma)));
    return;
  }
  if (name == "STR" + std::string(1, kArrow) || name == "OBJ" + std::string(1, kArrow)) {
    const TObj o = Pop();
    if (PrologOf(o) == kString) {
      try {
        Run(Compile(StringValue(o)));
      } catch (const TRplError&) {
        // With flag -55 clear the calculator returns a failed command's argument.
        if (!memory_.Flag(-55)) stack_.push_back(o);
        throw;
      }
    } else if (PrologOf(o) == kList) {
      const auto items = Elements(o);
      for (const auto& i : items) stack_.push_back(i);
      real(static_cast<double>(items.size()));
    } else {
      stack_.push_back(o);
    }
    return;
  }
  if (name == "DOSUBS") {
    const TObj program = Pop();
    const auto n = static_cast<std::size_t>(PopReal());
    const auto items = Elements(Pop());
    std::vector<TObj> results;
    for (std::size_t k = 0; k + n <= items.size(); ++k) {
      const std::size_t before = stack_.size();
      for (std::size_t j = 0; j < n; ++j) stack_.push_back(items[k + j]);
      Eval(program);
      for (std::size_t j = before; j < stack_.size(); ++j) results.push_back(stack_[j]);
      stack_.resize(before);
    }
    stack_.push_back(MakeComposite(kList, results));
    return;
  }
  if (name == "VARS") {
    std::vector<TObj> names;
    for (const TVar& v : memory_.Current().vars) names.push_back(MakeName(v.name));
    stack_.push_back(MakeComposite(kList, names));
    return;
  }
  if (name == "PATH") {
    std::vector<TObj> names;
    // HOME as the command, so that the path evaluated goes back to it.
    for (const auto& p : memory_.Path()) names.push_back(names.empty() ? MakeCommand(CommandId("HOME")) : MakeName(p));
    stack_.push_back(MakeComposite(kList, names));
    return;
  }
  if (name == "ERRM") { stack_.push_back(MakeString(lastError_)); return; }
  if (name == "ERRN") { stack_.push_back(MakeHex(lastErrorNumber_)); return; }
  if (name == "ERR0") { KeepError(""); return; }
  if (name == "ARCHIVESEND") {
    if (onArchive) onArchive();
    return;
  }
  if (name == "IF" || name == "IFERR") return Structure(code, pc, name == "IFERR");
  throw TRplError{"Invalid Syntax"};  // THEN, ELSE or END out of place
}

}  // namespace bridgit::sim

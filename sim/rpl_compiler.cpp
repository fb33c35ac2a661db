#include "sim/rpl_compiler.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace bridgit::sim {

namespace {

constexpr char kOpen = static_cast<char>(171);
constexpr char kClose = static_cast<char>(187);

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

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
    if (const int id = CommandId(token); id >= 0) return MakeCommand(id);
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

}  // namespace

// Any failure of the parser is the calculator's syntax error, never an
// exception past it.
std::vector<TObj> CompileText(const std::string& text) {
  try {
    return TCompiler(text).Sequence(0);
  } catch (const TRplError&) {
    throw;
  } catch (const std::exception&) {
    throw TRplError{"Invalid Syntax"};
  }
}

}  // namespace bridgit::sim

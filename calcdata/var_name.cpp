#include "calcdata/var_name.h"

#include <algorithm>

#include "calcdata/escapes.h"
#include "calcdata/texts.h"

namespace bridgit {

namespace {

// Characters that may occur nowhere in a name: ASCII ones, then the
// calculator's << >> v/ <= >= .d .S.
constexpr char kForbidden[] = " ,@#[]{}()\"':_+-*\\/^=<>!\xAB\xBB\x83\x89\x8A\x88\x84";
constexpr std::string_view kForbiddenChars(kForbidden, sizeof kForbidden - 1);
static_assert(kForbiddenChars.size() == 31);

}  // namespace

bool IsProperVarName(std::string_view calc) {
  if (calc.empty()) return true;
  if (calc.front() >= '0' && calc.front() <= '9') return false;
  return std::none_of(calc.begin(), calc.end(),
                      [](char c) { return kForbiddenChars.find(c) != std::string_view::npos; });
}

std::string ImproperNameMessage(std::string_view calc) {
  std::string msg = EncodeEscapes(calc, TEscapeMode::kBackslash);
  msg += "\r\n";
  msg += texts::kImproperNameBody;
  return msg;
}

bool CheckVarName(std::string_view name, TPromptHost& host) {
  const std::string calc = DecodeEscapes(name, TEscapeMode::kBackslash);
  if (IsProperVarName(calc)) return true;
  host.Beep();
  return host.ShowMessagePrompt(ImproperNameMessage(calc), std::string(texts::kImproperNameCaption));
}

}  // namespace bridgit

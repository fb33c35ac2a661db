// The log book's lines that start with a prefix, counted or listed, or that hold a text anywhere.
#pragma once

#include <string>
#include <vector>

#include "base/log.h"

namespace bridgit::test {

inline std::vector<std::string> LogLines(const std::string& prefix) {
  std::vector<std::string> lines;
  for (const auto& l : TLogBook::Instance().Lines())
    if (l.starts_with(prefix)) lines.push_back(l);
  return lines;
}

inline int LogCount(const std::string& prefix) { return static_cast<int>(LogLines(prefix).size()); }

inline int LogCountHolding(const std::string& text) {
  int n = 0;
  for (const auto& l : TLogBook::Instance().Lines()) n += l.find(text) != std::string::npos;
  return n;
}

}  // namespace bridgit::test

// The log book's lines that start with a prefix: counted or listed.
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

}  // namespace bridgit::test

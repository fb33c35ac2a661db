// JSON output of the command line: what --json prints is read by scripts.
#pragma once

#include <string>

namespace bridgit::cli {

// `s` as a JSON string: quotes, backslashes and control characters escaped
// (calculator text may hold any byte below 32).
std::string JsonText(const std::string& s);

}  // namespace bridgit::cli

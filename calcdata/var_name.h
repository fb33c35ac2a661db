// Checking variable names before they go into a command text: a name the
// calculator cannot parse could make the command fail or break the connection.
#pragma once

#include <string>
#include <string_view>

#include "host/prompt_host.h"

namespace bridgit {

// True when the calculator characters form a proper variable name (an empty
// name counts as proper).
bool IsProperVarName(std::string_view calc);

// The question shown for an improper name (given in calculator characters).
std::string ImproperNameMessage(std::string_view calc);

// Checks a name given in backslash notation. A proper name passes; for an
// improper one the host beeps and asks whether to go on.
bool CheckVarName(std::string_view name, TPromptHost& host);

}  // namespace bridgit

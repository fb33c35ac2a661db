// The simulator's RPL compiler: calculator text into the sequence of objects
// it denotes (numbers, strings, names, built-in commands, lists, programs).
#pragma once

#include <string>
#include <vector>

#include "sim/rpl_objects.h"

namespace bridgit::sim {

// Throws TRplError (the calculator's syntax error) for text it cannot read.
std::vector<TObj> CompileText(const std::string& text);

}  // namespace bridgit::sim

// The built-in demo memory, and loading and saving a memory folder (one binary
// object file a variable, sub-folders for calculator folders).
#pragma once

#include <string>

#include "sim/calc_memory.h"

namespace bridgit::sim {

void LoadDemoMemory(TCalcMemory& memory);

// False and the reason when the folder cannot be read.
bool LoadMemoryFolder(TCalcMemory& memory, const std::string& path, std::string& error);
// Written beside the folder first and swapped in whole: never half-written.
bool SaveMemoryFolder(const TCalcMemory& memory, const std::string& path, const std::string& family, std::string& error);

}  // namespace bridgit::sim

// Fetching the small objects of one folder in one transfer: the calculator
// gathers them (or the strings of their text forms) in one list, and the PC
// splits the list with the object walk. An object then costs its bytes
// instead of the pauses of three exchanges (convert, fetch, purge), which at
// any speed are most of a small object's time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bridgit::cli::mirror {

// The calculator's scratch variable that carries a batch.
inline constexpr const char* kBatchScratch = "$$$b";
// Bigger objects go alone: a batch holds a second copy of what it gathers in
// the calculator's memory while it is fetched.
inline constexpr long long kBatchObjectMaxBytes = 4096;
inline constexpr long long kBatchMaxBytes = 16384;
inline constexpr std::size_t kBatchMaxObjects = 64;

// The command that stores the batch of these variables of the current folder
// (calculator names in backslash notation) in kBatchScratch: a list of the
// objects, or for text a list of the flag list's string and the list of the
// objects' strings, made under the flags a single text copy sets.
std::string BatchCommand(const std::vector<std::string>& names, bool text);

// Splits the binary object file of a batch into one file per name: for binary,
// each object's own object file (under the batch's header); for text, the
// object file of the string a single text copy receives ("{ flags }" and the
// object's text), to be made a text file as that copy makes it. False, with
// nothing in `out`, when the answer is not a batch of `count`.
bool SplitBatch(const std::string& file, std::size_t count, bool text, std::vector<std::string>& out);

}  // namespace bridgit::cli::mirror

// Fetching the small objects of one folder in one transfer: the calculator
// gathers them (or the strings of their text forms) in one list, and the PC
// splits the list with the object walk. An object then costs its bytes
// instead of the pauses of three exchanges (convert, fetch, purge), which at
// any speed are most of a small object's time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bridgit::mirror {

// The calculator's scratch variable that carries a batch.
inline constexpr const char* kBatchScratch = "$$$b";
// A batch holds a second copy of what it gathers in the calculator's memory
// while it is fetched (of the texts, which may be a few times the objects'
// size), so its size follows the memory that is free.
struct TBatchLimits {
  long long maxBytes = 0;        // listed bytes a batch gathers at most
  long long maxObjectBytes = 0;  // bigger objects go alone
};
inline constexpr long long kBatchCeilingBytes = 65536;
inline constexpr long long kBatchFloorBytes = 4096;
inline constexpr std::size_t kBatchMaxObjects = 64;
// The limits for one form with `freeBytes` free on the calculator (negative:
// not known, the floor holds).
TBatchLimits BatchLimits(long long freeBytes, bool text);

// The command that gathers these variables of a folder (its path as
// "HOME A B"; names in backslash notation) and stores the batch in
// kBatchScratch of HOME, where the calculator is left: a list of the objects,
// or for text a list of the flag list's string and the list of the objects'
// strings, made under the flags a single text copy sets. It first runs
// `purges` (the scratch a previous batch left), so that one exchange carries both.
std::string BatchCommand(const std::string& purges, const std::string& folderPath, const std::vector<std::string>& names,
                         bool text);

// Splits the binary object file of a batch into one file per name: for binary,
// each object's own object file (under the batch's header); for text, the
// object file of the string a single text copy receives ("{ flags }" and the
// object's text), to be made a text file as that copy makes it, or nothing
// when the object's text does not compile back to it. False, with
// nothing in `out`, when the answer is not a batch of `count`.
bool SplitBatch(const std::string& file, std::size_t count, bool text, std::vector<std::string>& out);

}  // namespace bridgit::mirror

// The PC's side of a mirror: the folder tree under DIR as keys. Objects are
// the .txt and .zq files; hidden entries (the state file, a version control
// system's folder) unless mirrored before, the temporary files of interrupted writes and other
// files are not part of it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "mirror/plan.h"

namespace bridgit::mirror {

inline constexpr const char* kTextExtension = ".txt";
inline constexpr const char* kBinaryExtension = ".zq";

struct TPcTree {
  TSide side;
  // Keys held by more than one file (X.txt and X.zq): neither is used.
  std::vector<std::string> clashes;
};

// The key part of a file or folder name: its caret notation made canonical
// (a name spelled "^065" and one spelled "A" are one calculator name).
std::string PcKeyPart(const std::string& stem);

// Hidden entries are part of it only when `tracked` says the state holds
// their key: a calculator name may begin with a dot too.
TPcTree ReadPcTree(const std::string& dir, const std::function<bool(const std::string& key)>& tracked = {});

}  // namespace bridgit::mirror

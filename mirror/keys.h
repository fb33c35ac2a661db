// Keys of the mirror: relative paths of caret-notation names ("WORK/NOTE").
#pragma once

#include <string>

namespace bridgit::mirror {

// The folder key that holds a key ("" at the top).
inline std::string Parent(const std::string& key) {
  const std::size_t slash = key.rfind('/');
  return slash == std::string::npos ? "" : key.substr(0, slash);
}

// A key's own name.
inline std::string Last(const std::string& key) {
  const std::size_t slash = key.rfind('/');
  return slash == std::string::npos ? key : key.substr(slash + 1);
}

// Every part of a key is a name the calculator takes (a PC folder "My Progs"
// would have been read by the calculator as two words).
bool CalcNameOk(const std::string& key);

}  // namespace bridgit::mirror

// Test data made of byte values; no system headers, so that the Windows test
// program can use it too.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

namespace bridgit::test {

// `size` bytes that never repeat at a block's distance: a block lost,
// repeated or put in the wrong place changes what arrives.
inline std::string Patterned(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
  return s;
}

// The characters of the given codes.
inline std::string Bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s += static_cast<char>(c);
  return s;
}

}  // namespace bridgit::test

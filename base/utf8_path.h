// Paths from and to the UTF-8 strings Bridgit keeps file names in. A plain
// std::string given to std::filesystem is read in the C locale on Windows,
// one byte to one character, so "mé" would name "mÃ©"; char8_t text is
// converted as UTF-8 everywhere. On Linux both are the bytes unchanged.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace bridgit {

inline std::filesystem::path Utf8Path(std::string_view utf8) {
  return std::filesystem::path(std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace bridgit

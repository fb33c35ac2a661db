#include "mirror/state.h"

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <vector>

namespace bridgit::mirror {

namespace {

constexpr const char* kMagic = "bridgit mirror 1";

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', at);
    parts.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
    if (tab == std::string::npos) return parts;
    at = tab + 1;
  }
}

}  // namespace

// One line a record, fields separated by tabs: caret-notation names never
// hold a tab or a line end.
std::string FormatState(const TState& state) {
  std::string out = std::string(kMagic) + "\nfolder\t" + state.folder + "\n";
  for (const auto& [key, e] : state.entries) {
    if (e.folder)
      out += "d\t" + key + "\n";
    else
      out += "o\t" + key + "\t" + e.file + "\t" + e.calcSig + "\t" + e.pcHash + "\n";
  }
  return out;
}

std::optional<TState> ParseState(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kMagic) return std::nullopt;
  TState state;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> f = SplitTabs(line);
    if (f[0] == "folder" && f.size() == 2 && !f[1].empty()) {
      state.folder = f[1];
    } else if (f[0] == "d" && f.size() == 2 && !f[1].empty()) {
      state.entries[f[1]] = FolderState();
    } else if (f[0] == "o" && f.size() == 5 && !f[1].empty() && !f[2].empty()) {
      state.entries[f[1]] = {.folder = false, .file = f[2], .calcSig = f[3], .pcHash = f[4]};
    } else {
      return std::nullopt;
    }
  }
  return state;
}

std::string HashBytes(const std::string& bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

}  // namespace bridgit::mirror

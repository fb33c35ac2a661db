// The list's sort order: folders first (last when descending), then by the
// sort column: names and types without regard to ASCII letter case, sizes as
// numbers. Pure functions, so the rules are testable on their own.
#pragma once

#include <string>
#include <string_view>

namespace bridgit::ui {

// Column tags: what a column shows, wherever it stands.
enum TColumnTag : int { kTagFiles = 0, kTagSize = 1, kTagType = 2 };

struct TListEntry {
  std::string_view caption;
  std::string_view type;
  std::string_view size;
  bool folder = false;
};

// Only a to z fold to A to Z; other bytes compare by value; of two names that
// agree up to the end of the shorter, the shorter comes first.
int CompareFolded(std::string_view a, std::string_view b);

// Negative, zero or positive.
int CompareEntries(const TListEntry& a, const TListEntry& b, int tag, bool reverse);

}  // namespace bridgit::ui

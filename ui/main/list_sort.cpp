#include "ui/main/list_sort.h"

#include <charconv>

namespace bridgit::ui {

namespace {

unsigned char Fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

long long Number(std::string_view s) {
  long long v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

}  // namespace

int CompareFolded(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = Fold(a[i]), y = Fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

int CompareEntries(const TListEntry& a, const TListEntry& b, int tag, bool reverse) {
  int result = 0;
  if (a.folder != b.folder) {
    result = a.folder ? -1 : 1;
  } else if (tag == kTagFiles) {
    result = CompareFolded(a.caption, b.caption);
  } else if (tag == kTagSize) {
    const long long x = Number(a.size), y = Number(b.size);
    result = x < y ? -1 : x > y ? 1 : 0;
  } else {
    result = CompareFolded(a.type, b.type);
  }
  return reverse ? -result : result;
}

}  // namespace bridgit::ui

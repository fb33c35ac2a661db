// One row of the benchmark table: every benchmark prints its figures so, and
// scripts/bench gathers the rows of all of them into one table.
#pragma once

#include <cstdio>
#include <string>

namespace bridgit::bench {

inline std::string Fixed(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

// "| figure | value | goal | met |"; `relation` is ">=" or "<=" (empty: no goal).
// Returns whether the goal was met.
inline bool Row(const std::string& figure, double value, const std::string& relation = "", double goal = 0) {
  const bool met = relation.empty() || (relation == ">=" ? value >= goal : value <= goal);
  std::printf("| %s | %s | %s | %s |\n", figure.c_str(), Fixed(value, 3).c_str(),
              relation.empty() ? "" : (relation + " " + Fixed(goal, 2)).c_str(),
              relation.empty() ? "" : met ? "met" : "NOT MET");
  return met;
}

}  // namespace bridgit::bench

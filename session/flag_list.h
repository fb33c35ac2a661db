// Reading flag states from a list the calculator printed ("{ 0. 1. }").
#pragma once

#include <string>
#include <string_view>

namespace bridgit {

// `count` characters "0"/"1": the digit before each separator, in order.
std::string ParseFlagList(std::string_view text, int count);

}  // namespace bridgit

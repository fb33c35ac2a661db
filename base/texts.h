// Texts of the base layer, in one place.
#pragma once

#include <string_view>

namespace bridgit::texts {

inline constexpr std::string_view kNoPrivateFolder = "Unable to make a private temporary folder in ";

}  // namespace bridgit::texts

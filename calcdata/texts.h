// Texts of the calculator data layer that the user sees.
#pragma once

#include <string_view>

namespace bridgit::texts {

inline constexpr std::string_view kImproperNameCaption = "Improper Variable Name";
inline constexpr std::string_view kImproperNameBody =
    "is an improper variable name on the calculator.\r\n"
    "This may result in failure of the command or connection.\r\n\r\n"
    "Continue with the command?";

inline constexpr std::string_view kDecompileErrorCaption = "Decompile Error";
inline constexpr std::string_view kDecompileErrorText =
    "Cannot decompile this file.\r\n"
    "Length has been left with padding.\r\n"
    "File may still be ok.";

}  // namespace bridgit::texts

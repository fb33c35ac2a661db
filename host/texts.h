// Texts of the questions the host asks.
#pragma once

#include <string>
#include <string_view>

namespace bridgit::texts {

inline constexpr std::string_view kReplaceCaption = "Confirm File Replace";
inline constexpr std::string_view kBadFileCaption = "Wrong File Type?";

inline std::string ReplaceQuestion(const std::string& name) {
  return "\r\nThis folder already contains a file named " + name + ".\r\n\r\n" +
         "Would you like to replace the existing file?\r\n\r\n";
}

inline std::string MismatchReport(const std::string& name, const std::string& typeName, bool offerTextOrBinary) {
  return name + "\r\n\r\nis a " + typeName + " file and does not match the calculator.\r\n" +
         "This may damage the calculator contents.\r\n\r\n" +
         (offerTextOrBinary ? "How should this file be downloaded?" : "Do you wish to continue?");
}

}  // namespace bridgit::texts

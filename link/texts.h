// The link's log lines and error texts.
#pragma once

#include <string_view>

namespace bridgit::texts {

inline constexpr std::string_view kConnectionError = "Connection Error.\r\nPlease check your connections.";

inline constexpr std::string_view kLogCreateFile = "CreateFile for ";
inline constexpr std::string_view kLogSetCommState = "SetCommState for ";
inline constexpr std::string_view kLogSeriousError = "Serious error, disconnecting";
inline constexpr std::string_view kLogSafeReadTimeOut = "SafeRd TimeOut";
inline constexpr std::string_view kLogNoData = "No data, time count = ";
inline constexpr std::string_view kLogZeroReadsTooLong = "ReadFile exceeded maximum time for reads of zero bytes";
inline constexpr std::string_view kLogPartialRead = "**** ReadComm returning partial string";
inline constexpr std::string_view kLogClearStart = "Clearing input stream  {";
inline constexpr std::string_view kLogClearEnd = "}  Clear completed";
inline constexpr std::string_view kLogChangingSpeed = "Changing speed to ";

}  // namespace bridgit::texts

// The link's log lines and error texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bridgit::texts {

inline constexpr std::string_view kConnectionError = "Connection Error.\r\nPlease check your connections.";

inline constexpr std::string_view kLogCreateFile = "CreateFile for ";
inline constexpr std::string_view kLogSetCommState = "SetCommState for ";
inline constexpr std::string_view kLogSeriousError = "Serious error, disconnecting";
inline constexpr std::string_view kLogSafeReadTimeOut = "SafeRd TimeOut";
inline constexpr std::string_view kLogNoData = "No data, time count = ";
inline constexpr std::string_view kLogZeroReadsTooLong = "ReadFile exceeded maximum time for reads of zero bytes";
inline constexpr std::string_view kLogReadOnClosedLink = "ReadFile failed: the link is closed";
inline constexpr std::string_view kLogPartialRead = "**** ReadComm returning partial string";
inline constexpr std::string_view kLogClearStart = "Clearing input stream  {";
inline constexpr std::string_view kLogClearEnd = "}  Clear completed";
inline constexpr std::string_view kLogChangingSpeed = "Changing speed to ";

// Why Windows would not open a COM port, in a few words for a hint or a port list.
inline constexpr std::string_view kNoSuchComPort = "there is no such COM port on this computer";
inline constexpr std::string_view kComPortInUse = "another program is using it";
inline constexpr std::string_view kComPortRefused = "Windows refused to open it";

// A device the user may not open: the window shows these lines under its
// error, the command line as a hint.
inline std::vector<std::string> PermissionGroupAdvice(const std::string& path, const std::string& group) {
  return {"you may not open " + path + ": it belongs to the group " + group + ", which you are not in.",
          "Add yourself to it with: sudo usermod -aG " + group + " $USER",
          "then log out and log in again (a new group counts from the next login)."};
}

inline std::string PermissionModeAdvice(const std::string& path, const std::string& owner, const std::string& group,
                                        const std::string& mode) {
  return "you may not open " + path + ": its owner " + owner + ", group " + group + " and mode " + mode +
         " do not let you read and write it.";
}

}  // namespace bridgit::texts

// The transfer engine's status texts and log lines.
#pragma once

#include <string_view>

namespace bridgit::texts {

inline constexpr std::string_view kCopying = "Copying ";
inline constexpr std::string_view kConnecting = "Connecting ...";
inline constexpr std::string_view kUnableToOpenFile = "Unable to open file ";
inline constexpr std::string_view kCannotReadFromFile = "Cannot read from file ";
inline constexpr std::string_view kCannotWriteToFile = "Cannot write to file ";
inline constexpr std::string_view kWinErr = " - WinErr=";
inline constexpr std::string_view kSentRecvdAt = " sent/recvd at ";

inline constexpr std::string_view kLogTxNeedsCrcFlag = "Tx needs CRC Flag #";
inline constexpr std::string_view kLogTxNoAckForEot = "Tx No ACK for EOT error #";
inline constexpr std::string_view kLogRxBegins = "TX Receive begins for ";
inline constexpr std::string_view kLogRxError = "Rx Error #";
inline constexpr std::string_view kLogReplyWas = " Reply was 0x";
inline constexpr std::string_view kLogRxRepeatedBlock = "Rx repeated block #";
inline constexpr std::string_view kLogRepeatedBlock = " repeated block";
inline constexpr std::string_view kLogBadBlock = " bad block";
inline constexpr std::string_view kLogRxTooLong = "Rx object longer than expected, bytes = ";
inline constexpr std::string_view kLogScreenFirst = "Screen capture, first = 0x";
inline constexpr std::string_view kCaptureOf = "Capture of ";

inline constexpr std::string_view kCannotReadScreen = "Cannot read Calculator screen.";
inline constexpr std::string_view kReadErrorCaption = "Read Error";

}  // namespace bridgit::texts

// The session's status texts, messages and log lines.
#pragma once

#include <string_view>

namespace bridgit::texts {

inline constexpr std::string_view kNoDevice = "No device connected. Check you are in Xmodem server (RShift RightArrow)";
inline constexpr std::string_view kUnableToOpenComms = "The connectivity kit is unable to open communications to:";
inline constexpr std::string_view kNoDeviceDetected = "No device detected. Check the cable connections and the calculator.";
inline constexpr std::string_view kKermitServer =
    "Calculator is using the Kermit Server.\n\r\n\rStop the calculator.\n\rBe sure to release the right-shift before "
    "pressing right-arrow.";
inline constexpr std::string_view kWrongServerCaption = "Wrong Server";
inline constexpr std::string_view kComAutoNotAllowed = "Com port cannot be auto for this operation";
inline constexpr std::string_view kComSettingErrorCaption = "Com Setting Error";
// A command packet says its length in two bytes.
inline constexpr std::string_view kCommandTooLong = "The command is too long to send: at most 65535 characters.";

inline constexpr std::string_view kStatusBeginDialog = "Begin dialog on port: ";
inline constexpr std::string_view kStatusDeviceConnected = "Device connected on ";
inline constexpr std::string_view kStatusTrying = "Trying ";
inline constexpr std::string_view kStatusOpeningComm = "Opening Comm ";
inline constexpr std::string_view kStatusGetList = "Get list of files from device";
inline constexpr std::string_view kStatusChangeDir = "Change current dir to ";
inline constexpr std::string_view kStatusCopying = "Copying ";

inline constexpr std::string_view kLogSendCommand = "send command = ";
inline constexpr std::string_view kLogCommandPacket = "command packet = '";
inline constexpr std::string_view kLogTxPacketError = "Tx Cmnd Packet Error. Rcvd len=";
inline constexpr std::string_view kLogNoPacketSize = "cannot get the command packet size";
inline constexpr std::string_view kLogGotPacketSize = "got command packet size = ";
inline constexpr std::string_view kLogNoPacket = "cannot get the command packet";
inline constexpr std::string_view kLogGotPacket = "got command packet (";
inline constexpr std::string_view kLogCrcOk = "CRC ok ";
inline constexpr std::string_view kLogCrcProblem = "CRC problem ";
inline constexpr std::string_view kLogRxPacketError = "Rx Cmnd Packet Error #";
inline constexpr std::string_view kLogBeginPulse = "Begin pulse  {";
inline constexpr std::string_view kLogEndPulse = "}  End pulse";
inline constexpr std::string_view kLogPulseFlood = "Calculator keeps sending after its answer, bytes = ";
inline constexpr std::string_view kLogStatus = "Status = ";
inline constexpr std::string_view kLogFirst = "First = ";
inline constexpr std::string_view kLogSerialSpeed = "Serial speed = ";
inline constexpr std::string_view kLogVersionInfo = "Version info = ";
inline constexpr std::string_view kLogListingCut = "Directory listing cut off inside an entry";

inline constexpr std::string_view kLogSizeDiffers = "Object size differs from the listing (expected / got): ";
inline constexpr std::string_view kNotValidText1 = "\r\n\r\nis not a valid text";
inline constexpr std::string_view kNotValidText2 = " file and cannot be properly sent.\r\n";
inline constexpr std::string_view kWarningCaption = "Warning";
inline constexpr std::string_view kSyntaxError = "Syntax Error";
inline constexpr std::string_view kNotCompiled =
    "\r\n\r\nSyntax Error: the calculator cannot compile this text, so nothing was stored.\r\n";
// Before the error a command raised on the calculator, as its screen shows it.
inline constexpr std::string_view kCalculatorError = "Error: ";
inline constexpr std::string_view kNotAnObject = "\r\n\r\nis not a whole calculator object and was not sent.\r\n";
inline constexpr std::string_view kStatusSendingPut = "Sending PUT command";
inline constexpr std::string_view kCannotWriteFile = "Cannot write file ";
inline constexpr std::string_view kSetTheCalculator = "Set the Calculator";
inline constexpr std::string_view kStatusSendArchive = "send archive program";
inline constexpr std::string_view kStatusGetBackup = "Get backup data from device";
inline constexpr std::string_view kStatusRestoring = "Restoring from ";
inline constexpr std::string_view kStatusCapturing = "Capturing screen";
inline constexpr std::string_view kStatusCapturingScreen = "Capturing Screen";
inline constexpr std::string_view kRomSeparator = "   ROM: ";
inline constexpr std::string_view kUsbSpeed = "130000";

}  // namespace bridgit::texts

// The session's status texts, messages and log lines.
#pragma once

#include <string>
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
// The link belongs to the transfer thread until the transfer ends.
inline constexpr std::string_view kTransferRunning =
    "A transfer is running: wait for it to end, or cancel it, before connecting or disconnecting.";
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


// --- Hints: why a connection or an exchange failed, and what to do.
inline constexpr std::string_view kHint = "hint: ";
// Lines under a hint are indented by this.
inline constexpr std::string_view kHintIndent = "  ";
// The prompt's last line speaks of the dialog's button, which a terminal lacks.
inline constexpr std::string_view kPromptButtonLine = "Press OK below";

// `holder` names the program, "process PID (NAME)", or is empty when unknown.
inline std::string InUseHint(const std::string& path, const std::string& holder) {
  return std::string(kHint) + path + " is held by another program" + (holder.empty() ? "" : ", " + holder) +
         ": close it or let it finish, then try again.";
}

inline std::string HolderText(int pid, const std::string& name) {
  return "process " + std::to_string(pid) + (name.empty() ? "" : " (" + name + ")");
}

// Why `ports --all` lists a port as unusable (after the port and a tab).
inline std::string JoinGroupAdvice(const std::string& group) {
  return "join the group " + group + " (sudo usermod -aG " + group + " $USER, then log in again)";
}
inline std::string JoinGroupReason(const std::string& group) { return "not yours to open: " + JoinGroupAdvice(group); }
inline std::string ModeReason(const std::string& owner, const std::string& group, const std::string& mode) {
  return "not yours to open: owner " + owner + ", group " + group + ", mode " + mode;
}
inline std::string InUseReason(const std::string& holder) { return "in use" + (holder.empty() ? "" : " by " + holder); }

// `keys`: the start keys of the calculator's XModem server, one indented line each.
inline std::string NoByteHint(const std::string& port, const std::string& keys) {
  return std::string(kHint) + "nothing at all came from the calculator on " + port +
         ". Is its XModem server running?\n" + keys;
}
// After the start keys, on a serial line: a calculator at another speed hears only noise.
inline std::string NoByteSpeedLine(const std::string& speed, const std::string& setSpeed) {
  return "\n" + std::string(kHintIndent) + "If it is running, check that the calculator's speed is " + speed + " (" +
         setSpeed + ").";
}

inline std::string KermitHint(const std::string& keys) {
  return std::string(kHint) +
         "the calculator runs its Kermit server; Bridgit talks to its XModem server. Stop the Kermit server on the "
         "calculator, then start the XModem server:\n" +
         keys;
}

// `setSpeed`: how the person sets the PC's speed in this program.
inline std::string GarbledHint(const std::string& port, const std::string& speed, const std::string& setSpeed) {
  return std::string(kHint) + "the calculator answered on " + port +
         " but the exchange failed: check that the calculator's speed is " + speed + " (" + setSpeed +
         ") and that the cable sits firmly.";
}

// A port that cannot be opened for another reason than rights or a holder
// (none there, no device behind it). `listPorts`: where the ports are listed.
inline std::string NoSuchPortHint(const std::string& path, const std::string& why, const std::string& listPorts) {
  return std::string(kHint) + "cannot open " + path + ": " + why + ". " + listPorts;
}

// Ports that exist but that this user may not open (`reason`: what would let them).
inline std::string NotYoursHint(std::size_t n, const std::string& reason) {
  return std::string(kHint) + std::to_string(n) + (n == 1 ? " port exists that you may not open" : " ports exist that you may not open") +
         ": " + reason;
}

}  // namespace bridgit::texts

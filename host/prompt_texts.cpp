#include "host/prompt_texts.h"

namespace bridgit {

namespace {

constexpr std::string_view kT1 =
    "On the ZQ71G(X):\r\n\r\n1.  Type ' ALPHA  X   (or any other name)\r\n2.  Press: Left-Shift   I/O   NXT   XRECV\r\n"
    "3.  The receive command should start.\r\n\r\n\r\nTransfer begins when Calculator sends a start.\r\n";
constexpr std::string_view kT2 =
    "On the ZQ71G(X):\r\n\r\n1.  The server should now be in the 'X' variable \r\n     (or name that you used)\r\n"
    "2.  Press VAR  then  X to place the library on the \r\n     stack\r\n"
    "3.  Type 0 (or 1)  STO  to store into port 0 (or 1)\r\n4.  Turn the ZQ-71 off then on\r\n"
    "5.  Press:  right-shift   LIBRARY\r\n6.  The menu labeled XSRVR contains the \r\n     XModem Server\r\n";
constexpr std::string_view kT3 =
    "Setup Calculator Screen, then\r\n\r\nOn the ZQ73G+, ZQ71GII or ZQ73G: \r\n   Press ON plus up-arrow\r\n\r\n"
    "On the ZQ71G(X):\r\n   Press ON plus 1\r\n\r\n\r\nCapture begins when Calculator starts sending.\r\n";
constexpr std::string_view kT4Alg =
    "On the ZQ73G+, ZQ71GII or ZQ73G:\r\n1.  Press XRECV or type XRECV left-shift ()\r\n"
    "2.  Type  '  ALPHA  X  (or any other name)\r\n3.  Press  ENTER\r\n\r\n"
    "On the ZQ71G(X):\r\n1.  Type  '  ALPHA  X  (or any other name)\r\n2.  Press Left-Shift   I/O   NXT   XRECV\r\n\r\n"
    "The receive command should start.\r\nTransfer begins when Calculator sends a start.\r\n";
constexpr std::string_view kT4Rpn =
    "On the ZQ73G+, ZQ71GII or ZQ73G:\r\n1.  Type  '  ALPHA  X  (or any other name)\r\n2.  Press XRECV\r\n\r\n"
    "On the ZQ71G(X):\r\n1.  Type  '  ALPHA  X  (or any other name)\r\n2.  Press Left-Shift   I/O   NXT   XRECV\r\n\r\n"
    "The receive command should start.\r\nTransfer begins when Calculator sends a start.\r\n";
constexpr std::string_view kT5 =
    "On the Calculator:\r\n\r\n1.  The file should now be in the 'X' variable \r\n     (or name that you used)\r\n";
constexpr std::string_view kT6Alg =
    "On the ZQ73G+, ZQ71GII or ZQ73G:\r\n1.  Press XSEND or type XSEND left-shift ()\r\n"
    "2.  Type ' and the name of the item to send\r\n3.  Press  ENTER\r\n\r\n"
    "On the ZQ71G(X):\r\n1.  Type ' and the name of the item to send\r\n2.  Press: XSEND\r\n\r\n"
    "The send command should start.\r\nPress OK below.\r\n";
constexpr std::string_view kT6Rpn =
    "On the ZQ73G+, ZQ71GII or ZQ73G:\r\n1.  Type ' and the name of the item to send\r\n2.  Press XSEND\r\n\r\n"
    "On the ZQ71G(X):\r\n1.  Type ' and the name of the item to send\r\n2.  Press: XSEND\r\n\r\n"
    "The send command should start.\r\nPress OK below.\r\n";
constexpr std::string_view kT7 =
    "On the Calculator:\r\n\r\n1.  Hold + and - (3 secs.) while pressing RESET\r\n2.  Press 1 to load OS/ROM\r\n"
    "3.  Press 1 for USB\r\n4.  Unplug then plug USB cable\r\n5.  Press OK below.\r\n";
constexpr std::string_view kT8Alg =
    "To Start Xsrvr on the Calculator:\r\n\r\nOn the ZQ73G+, ZQ71GII or ZQ73G:\r\n"
    "   Press right-shift, release, then right-arrow\r\n   then ENTER\r\n\r\n"
    "On the ZQ71G(X):\r\n   Press right-shift then LIB then Xsrvr (lib)\r\n   Press Xsrvr (command)\r\n\r\n"
    "Press OK below to start the connection.\r\n";
constexpr std::string_view kT8Rpn =
    "To Start Xsrvr on the Calculator:\r\n\r\nOn the ZQ73G+, ZQ71GII or ZQ73G:\r\n"
    "   Press right-shift, release, then right-arrow\r\n\r\n"
    "On the ZQ71G(X):\r\n   Press right-shift then LIB then Xsrvr (lib)\r\n   Press Xsrvr (command)\r\n\r\n"
    "Press OK below to start the connection.\r\n";
constexpr std::string_view kT9 =
    "The Calculator memory has been restored\r\nbut it may take a few minutes to reorganize\r\nand be ready for commands.\r\n\r\n"
    "On the Calculator:\r\n  Press VAR then run FLAG to restore all flags.\r\n\r\n"
    "To connect to the Calculator:\r\n  On the Calculator, restart the server (XSrvr)\r\n"
    "  Press the \"Connect\" button below.\r\n\r\nOtherwise, press CANCEL.\r\n";
constexpr std::string_view kT10 = "Another Capture begins when\r\nCalculator starts sending.\r\n\r\n";

}  // namespace

std::string_view PromptText(int kind, bool rpn) {
  switch (kind) {
    case kPromptServerDownload: return kT1;
    case kPromptServerSent: return kT2;
    case kPromptCapture: return kT3;
    case kPromptDownload: return rpn ? kT4Rpn : kT4Alg;
    case kPromptDownloaded: return kT5;
    case kPromptUpload: return rpn ? kT6Rpn : kT6Alg;
    case kPromptRom: return kT7;
    case kPromptStartServer: return rpn ? kT8Rpn : kT8Alg;
    case kPromptRestored: return kT9;
    case kPromptAnotherCapture: return kT10;
    default: return {};
  }
}

TPromptShape ShapePrompt(int kind, bool rpn, const std::string& questionText, const std::string& caption) {
  TPromptShape s;
  s.text = kind == kPromptQuestion ? questionText : std::string(PromptText(kind, rpn));
  s.modeChoice = kind != kPromptQuestion;
  const bool restored = kind == kPromptRestored;
  s.okCaption = std::string(restored ? texts::kPromptConnect : texts::kPromptOk);
  s.caption = std::string(restored ? texts::kRestoredCaption : texts::kPromptCaption);
  if (!caption.empty()) s.caption = caption;
  s.cancelVisible = kind != kPromptServerSent && kind != kPromptDownloaded;
  s.okCentred = !s.cancelVisible;
  s.modeless = IsModelessPrompt(kind);
  s.okVisible = !s.modeless;
  return s;
}

}  // namespace bridgit

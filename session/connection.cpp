// Connecting: opening the port, making sure the XModem server answers, and
// having the calculator identify itself.
#include <cstdint>

#include "base/clock.h"
#include "base/log.h"
#include "link/comm_error.h"
#include "link/link.h"
#include "link/port_list.h"
#include "link/port_names.h"
#include "session/flag_list.h"
#include "session/texts.h"
#include "session/xmodem_server.h"
#include "transfer/transfer_thread.h"

namespace bridgit {

namespace {

constexpr char kKermitPacketStart = 0x01;
constexpr int kFirstByteTimeoutMs = 500;
constexpr TTickMs kFirstBytePauseMs = 100;
// "-36 FS? -51 FS? 2 ->LIST ->STR VERSION DROP + '$$$t' STO"
const std::string kIdentifyQuery = "-36 FS? -51 FS? 2 \\->LIST \\->STR VERSION DROP + '$$$t' STO";
const std::string kScratchName = "$$$t";
const std::string kDisplay73GPlus = "73G+";
const std::string kDisplay71GII = "71GII";
const std::string kOldRevisionMark = "#1.1";
const std::string kRevisionMark = "Revision #";
constexpr int kFastSerial = 16000;

}  // namespace

void TXModemServer::Connect(const std::string& port) {
  channel_.CloseLink();
  channel_.SetPortName(UpperCase(port));
  if (IsAutoPortName(channel_.PortName())) {
    AutoConnect();
    return;
  }
  if (channel_.PortName().empty() || channel_.Speed().empty()) {
    channel_.SetPortName("");
    return;
  }
  // The name is kept as given for opening: Linux paths are case-sensitive.
  channel_.SetPortName(port);
  try {
    ConnectTo(port);
  } catch (const std::exception&) {
    channel_.CloseLink();
    channel_.SetPortName("");
    channel_.SetStatus("");
    host_.CloseConnectionStatus();
    RaiseCommError(std::string(texts::kUnableToOpenComms) + port);
  }
}

void TXModemServer::ConnectTo(const std::string& port) {
  const std::string& speed = channel_.Speed();
  host_.ResetCommandCancel();
  channel_.OpenLink();
  std::string first;
  WaitFirstByte(first);
  Log(std::string(texts::kLogFirst) + Hex2(static_cast<unsigned char>(first[0])));
  if (first[0] == kKermitPacketStart) {
    host_.ShowMessage(std::string(texts::kKermitServer), std::string(texts::kWrongServerCaption));
    host_.SetConnected(false);
    channel_.Link().FatalDisconnect();
  }
  channel_.Link().ClearInput();
  host_.ShowConnectionStatus();
  host_.ProcessMessages();
  channel_.SetStatus(std::string(texts::kStatusBeginDialog) + port);
  Log(std::string(texts::kLogSerialSpeed) + speed);
  channel_.SendCommandChar('V');
  channel_.Link().SetShortTimeouts();
  channel_.SetVersion(channel_.ReceiveCommandPacket());
  channel_.Link().SetLongTimeouts();
  host_.SetModel("");
  host_.SetVersionInfo("");
  channel_.SetStatus(std::string(texts::kStatusDeviceConnected) + port);

  const std::string version = Identify(port);

  int required = 0;
  if (channel_.Link().Mode() == ModeSerial) {
    if (host_.DisplayModel() == kDisplay71GII)
      required = speed == "115200" ? 0 : 115200;
    else
      required = speed == "9600" ? 0 : 9600;
  }
  host_.SetRequiredSpeed(required);
  Purge(kScratchName, false);
  if (textScratchLeft_) {
    // An interrupted text get left its scratch variable in its folder; the
    // calculator's current folder is kept.
    if (!textScratchFolder_.empty())
      channel_.Execute("PATH " + textScratchFolder_ + " '" + kScratchName + "' PURGE EVAL", true, true);
    textScratchLeft_ = false;
  }
  channel_.SetVersion(channel_.Version() + std::string(texts::kRomSeparator) + version);
  host_.CloseConnectionStatus();
}

// Has the calculator tell its model, flags and ROM version (returned), and
// sets the timing profile its ROM needs.
std::string TXModemServer::Identify(const std::string& port) {
  channel_.Execute(kIdentifyQuery, true, true);
  if (!GetObject(kScratchName, "", 0)) channel_.Link().FatalDisconnect();
  std::string data = lastData_;
  if (data.size() < 14) channel_.Link().FatalDisconnect();  // too short to be the answer
  host_.SetModel(data.substr(4, 2));
  host_.SetCalculatorFlags(ParseFlagList(data.substr(13, 20), 2));
  if (IsUsbPortName(port)) host_.SetDisplayModel(kDisplay73GPlus);
  const bool serial = IsSerialPortName(port);
  if (host_.CalculatorModel() == "73" && data.find(kOldRevisionMark) == std::string::npos && serial &&
      std::stoi(channel_.GetSpeed()) > kFastSerial)
    host_.SetDisplayModel(kDisplay71GII);

  std::string version;
  if (!data.starts_with("ZQZQ71")) {
    // The string's length field gives the text's length: the rest is padding.
    const auto b = [&data](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(data[i])); };
    const unsigned length = (b(10) >> 4) + (b(11) & 0x0F) * 16 + (b(11) >> 4) * 256;
    const std::size_t chars = length >= 5 ? (length - 5) / 2 : 0;
    data.resize(std::min(data.size(), 13 + chars));
    const std::size_t at = data.find(kRevisionMark);
    version = at != std::string::npos ? data.substr(at + kRevisionMark.size()) : data.substr(std::min<std::size_t>(9, data.size()));
    Log(std::string(texts::kLogVersionInfo) + version);
    if (!IsUsbPortName(port)) channel_.Link().Timing() = std::stoi(channel_.GetSpeed()) <= 9600 ? SerialSlowNewer : SerialFast;
  } else {
    version = data.substr(7, 1);
    channel_.Link().Timing() = SerialSlow;
  }
  host_.SetVersionInfo(version);
  return version;
}

void TXModemServer::AutoConnect() {
  const std::vector<std::string> ports = ListPorts();
  for (auto it = ports.begin() + 1; it != ports.end(); ++it) {  // past "Auto"
    const std::string& candidate = *it;
    host_.SetConnected(true);
    try {
      Connect(candidate);
      channel_.SetStatus(std::string(texts::kStatusTrying) + candidate);
      return;
    } catch (const std::exception&) {
    }
  }
  host_.SetConnected(false);
  channel_.SetStatus(std::string(texts::kNoDeviceDetected));
  RaiseCommError(std::string(texts::kNoDeviceDetected));
}

bool TXModemServer::OpenDirect(const std::string& port) {
  channel_.CloseLink();
  channel_.SetPortName(port);
  if (IsAutoPortName(port)) {
    host_.ShowMessage(std::string(texts::kComAutoNotAllowed), std::string(texts::kComSettingErrorCaption));
    return false;
  }
  if (!port.empty() && !channel_.Speed().empty()) {
    try {
      channel_.SetStatus(std::string(texts::kStatusOpeningComm) + port);
      channel_.OpenLink();
      channel_.Link().ClearInput();
      channel_.SetStatus(std::string(texts::kStatusDeviceConnected) + port);
    } catch (const std::exception&) {
      channel_.SetPortName("");
      channel_.SetStatus("");
      RaiseCommError(std::string(texts::kUnableToOpenComms) + port);
    }
  }
  return true;
}

void TXModemServer::Quit() {
  channel_.SendCommandChar('Q');
  channel_.CloseLink();
  host_.SetConnected(false);
}

bool TXModemServer::WaitFirstByte(std::string& first) {
  first.assign(1, '\0');
  channel_.Link().SetShortTimeouts();
  for (;;) {
    host_.ProcessMessages();
    SleepMs(kFirstBytePauseMs);
    if (channel_.Link().ReadComm(first, kFirstByteTimeoutMs) == 1) {
      channel_.Link().SetLongTimeouts();
      return true;
    }
    if (!host_.PromptVisible()) {
      first.assign(1, '\0');
      channel_.Link().SetLongTimeouts();
      return false;
    }
  }
}

}  // namespace bridgit

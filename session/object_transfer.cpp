// Copying one variable to a PC file and one PC file into a variable, binary or
// as text.
#include "base/clock.h"
#include "base/files.h"
#include "base/log.h"
#include "calcdata/escapes.h"
#include "calcdata/file_kind.h"
#include "calcdata/object_header.h"
#include "calcdata/object_walk.h"
#include "calcdata/text_header.h"
#include "calcdata/text_translate.h"
#include "calcdata/var_name.h"
#include "host/comm_status.h"
#include "link/comm_error.h"
#include "link/link.h"
#include "link/port_names.h"
#include "session/flag_list.h"
#include "session/texts.h"
#include "transfer/texts.h"
#include "session/xmodem_server.h"
#include "transfer/ymodem_tx.h"

namespace bridgit {

namespace {

const std::string kTextScratch = "$$$t";
const std::string kLongTextScratch = "$$$a";
constexpr std::size_t kInlineTextLimit = 300;
constexpr std::size_t kHeadSearch = 150;
constexpr std::size_t kTextStart = 13;  // after the file header and the string's prolog and length

}  // namespace

std::string TXModemServer::DisplayName(const std::string& name, const std::string& pcFile, const std::string& alternative) {
  std::string shown = FileNamePart(!alternative.empty() ? alternative : !pcFile.empty() ? pcFile : name);
  for (const std::string ext : {".zq", ".txt"})
    if (shown.size() > ext.size() && shown.ends_with(ext)) shown.resize(shown.size() - ext.size());
  return shown;
}

bool TXModemServer::GetToFile(const std::string& nameCaret, const std::string& pcFile, int typeIcon, long long size) {
  transferCancelled_ = false;  // a refusal below is no cancel, whatever came before
  const std::string name = EncodeEscapes(DecodeEscapes(nameCaret, TEscapeMode::kCaret), TEscapeMode::kBackslash);
  if (!CheckVarName(name, host_)) return false;
  int error = 0;
  if (!host_.TextMode()) {
    if (!GetObject(name, pcFile, static_cast<std::uint32_t>(size))) return false;
    if (!WriteFileSafely(pcFile, lastData_, error)) RaiseCommError(std::string(texts::kCannotWriteFile) + pcFile + ErrorSuffix(error));
    return true;
  }
  // HOME itself is no variable; names are case-sensitive, so "home" and
  // HOMEWORK are.
  if (DecodeEscapes(name, TEscapeMode::kBackslash) == "HOME") return false;
  textScratchLeft_ = true;
  textScratchFolder_ = currentFolder_;
  channel_.Execute("RCLF 64 STWS STD -17 FS? -18 FS? -51 FS? IOPAR 6 GET 4 \\->LIST \\->STR '" + name + "' RCL \\->STR + '" +
              kTextScratch + "' STO STOF",
          true, true);
  if (!GetObject(kTextScratch, pcFile, 0)) return false;
  Purge(kTextScratch, false);
  textScratchLeft_ = false;

  const std::string text = TextFileOf(lastData_, typeIcon);
  if (!WriteFileSafely(pcFile, text, error)) RaiseCommError(std::string(texts::kCannotWriteFile) + pcFile + ErrorSuffix(error));
  return true;
}

std::string TXModemServer::TextFileOf(const std::string& data, int typeIcon) const {
  std::string head;
  if (data.size() > kTextStart) {
    const std::size_t close = data.find('}', kTextStart);
    if (close != std::string::npos && close < kTextStart + kHeadSearch) head = data.substr(kTextStart, close - kTextStart + 1);
  }
  const std::string f = ParseFlagList(head, 4);
  const std::string angles = f.substr(0, 2);
  const char angle = angles == "01" ? 'G' : angles == "10" ? 'R' : 'D';
  const char fraction = f[2] == '1' ? ',' : '.';
  const TFileSettings& settings = host_.FileSettings();
  const std::string eol = settings.addCR ? "\r\n" : "\n";
  std::string object = data;
  TrimObject(object);
  const std::size_t bodyStart = std::min(object.size(), kTextStart + head.size());
  std::string quote;
  if (typeIcon == kAlgebraicIcon && (bodyStart >= object.size() || object[bodyStart] != '\'')) quote = "'";
  if (typeIcon == kStringIcon) quote = "\"";
  const std::string body = CalcTextToPC(object.substr(bodyStart), {.level = settings.translationLevel,
                                                                   .translateControl = settings.translateControl,
                                                                   .isString = typeIcon == kStringIcon,
                                                                   .addCR = settings.addCR});
  return MakeTextHeader(settings.translationLevel, angle, fraction) + eol + quote + body + quote + eol;
}

TXModemServer::TFileKind TXModemServer::CheckFileKind(const std::string& pcFile) {
  std::string bytes;
  int error = 0;
  if (!ReadWholeFile(pcFile, bytes, error)) {
    if (error == EISDIR || error == ENOENT || error == EACCES || error == EPERM)
      RaiseCommError(std::string(texts::kUnableToOpenFile) + pcFile + " " + ErrorCodeText(error));
    RaiseCommError(std::string(texts::kCannotReadFromFile) + pcFile + " " + ErrorCodeText(error));
  }
  const TFileClassification found = ClassifyObjectFile(bytes, pcFile, host_.CalculatorModel());
  if (found.cls == TFileClass::kBinary) return {true, false};
  if (found.cls == TFileClass::kText) return {true, true};
  const bool binaryMagic = found.cls == TFileClass::kForeignBinary;
  host_.Beep();
  const TModalResult choice = host_.AskBadFile(pcFile, found.kind, !binaryMagic);
  host_.ProcessMessages();
  SleepMs(100);
  if (choice == kModalText && !binaryMagic) return {true, true};
  if (choice == kModalBinary || choice == kModalOk) return {true, false};
  return {false, false};
}

bool TXModemServer::PutFile(const std::string& name, const std::string& pcFile, int fileCount, bool& replaceAll,
                            bool confirm, const std::string& displayName) {
  transferCancelled_ = false;
  channel_.CheckConnected();
  if (!CheckVarName(name, host_)) return false;
  const TFileKind kind = CheckFileKind(pcFile);
  if (!kind.accept) return false;
  // A binary file cut short of its own known structure would leave a corrupted
  // variable. Anything else goes as it is: an object of a type the table lacks,
  // or a file kept with its padding after its length could not be found.
  if (!kind.asText) {
    std::string bytes;
    int error = 0;
    if (!ReadWholeFile(pcFile, bytes, error))
      RaiseCommError(std::string(texts::kCannotReadFromFile) + pcFile + " " + ErrorCodeText(error));
    if (HasBinaryMagic(bytes) && MeasureObject(bytes, HeaderFamily(bytes)).extent == TObjectExtent::kTooShort) {
      host_.Beep();
      host_.ShowMessage(name + std::string(texts::kNotAnObject), std::string(texts::kWarningCaption));
      return false;
    }
  }
  if (confirm && !replaceAll && (kind.asText || host_.FlagM36IsSet())) {
    const TModalResult answer = host_.AskReplace(name, fileCount);
    if (answer == kModalCancel) return false;
    if (answer == kModalNo) return true;
    if (answer == kModalAll) replaceAll = true;
  }
  if (kind.asText) {
    bool notCompiled = false;
    const bool ok = PutText(name, pcFile, &notCompiled);
    if (!ok) {
      host_.Beep();
      host_.ShowMessage(name + std::string(notCompiled ? texts::kNotCompiled
                                                       : std::string(texts::kNotValidText1) + std::string(texts::kNotValidText2)),
                        std::string(texts::kWarningCaption));
      host_.ProcessMessages();
      SleepMs(100);
    }
    return ok;
  }
  channel_.SetStatus(std::string(texts::kStatusSendingPut));
  channel_.SendCommandChar('P');
  channel_.SendCommandPacket(name);
  const std::string display = DisplayName(name, pcFile, displayName);
  channel_.SetStatus(std::string(texts::kStatusCopying) + display);
  TYModemTX tx(channel_.Link(), pcFile, false, std::string(1, '\0'), ForwardProgress());
  transferCancelled_ = Transfer(tx, std::string(texts::kStatusCopying) + display) == kModalCancel;
  const bool result = tx.Done();
  SleepMs(channel_.Link().Timing().AfterSend);
  if (result)
    channel_.Execute("", true, true);
  else
    host_.SetConnected(false);
  channel_.SetStatus("");
  return result;
}

bool TXModemServer::PutText(const std::string& name, const std::string& pcFile, bool* notCompiled) {
  std::string modes;
  const std::string errorPart = std::string(host_.CalculatorModel() == "73" ? "#26067h SYSEVAL " : "#141E5h SYSEVAL ") +
                                "CLLCD \"" + std::string(texts::kSyntaxError) + "\" 4 DISP 5 WAIT ";
  std::string text;
  int error = 0;
  if (!ReadWholeFile(pcFile, text, error)) RaiseCommError(std::string(texts::kUnableToOpenFile) + pcFile + " " + ErrorCodeText(error));
  const bool inlineText = text.size() <= kInlineTextLimit;
  const TTextFile file = SplitTextFile(text);
  if (file.hasHeader) {
    if (file.angle == 'D') modes = "DEG ";
    if (file.angle == 'G') modes = "GRAD ";
    if (file.angle == 'R') modes = "RAD ";
    if (file.fraction == ',') modes += "-51 SF ";
    if (file.fraction == '.') modes += "-51 CF ";
  }
  std::string body = PCTextToCalc(file.body, inlineText);
  if (body.empty()) return false;
  if (inlineText) {
    body = "\"" + EncodeEscapes(body, TEscapeMode::kBackslash) + "\" ";
  } else {
    // A long text travels as a string object in a scratch variable.
    const std::size_t l = 2 * body.size() + 5;
    std::string object = MakeObjectHeader(host_.CalculatorModel()) + ",*";
    object += static_cast<char>((l & 0x0F) << 4);
    object += static_cast<char>((l >> 4) & 0xFF);
    object += static_cast<char>((l >> 12) & 0xFF);
    object += body;
    const std::string temp = TempFolder() + kLongTextScratch + SafeFileNamePart(channel_.PortName());
    if (!WriteFileSafely(temp, object, error))
      RaiseCommError(std::string(texts::kUnableToOpenFile) + temp + " " + ErrorCodeText(error));
    Purge(kLongTextScratch, false);
    bool all = true;
    const bool sent = PutFile(kLongTextScratch, temp, 1, all, false, pcFile);
    std::remove(temp.c_str());
    // The text was fine; the link was not: that is what the person hears of.
    if (!sent) RaiseTransferError();
    body = kLongTextScratch + " '" + kLongTextScratch + "' PURGE ";
  }
  // Both branches leave a verdict in the scratch variable ({ } when stored):
  // a text the calculator cannot compile is a failure, not a put.
  textScratchLeft_ = true;
  textScratchFolder_ = currentFolder_;
  // The failure's verdict goes in first: a store that fails at the end (no
  // memory, a name the calculator refuses) leaves it, not a missing variable.
  channel_.Execute("{ \"\" } '" + kTextScratch + "' STO '" + name + "' RCLF " + modes + "-55 CF " + body + "IFERR OBJ\\-> THEN SWAP STOF " + errorPart +
              "{ \"\" } ELSE SWAP STOF OVER IFERR PURGE THEN PGDIR END SWAP STO { } END '" + kTextScratch + "' STO",
          true, true);
  SleepMs(channel_.Link().Timing().AfterSend);
  const bool stored = FetchTexts().empty();
  channel_.SetStatus("");
  if (!stored && notCompiled) *notCompiled = true;
  return stored;
}

}  // namespace bridgit

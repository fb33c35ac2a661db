// Reading the calculator's stack as text lines, for the command window and the
// command line.
#include "calcdata/nibbles.h"
#include "calcdata/text_translate.h"
#include "session/xmodem_server.h"

namespace bridgit {

namespace {
constexpr std::size_t kShownLevels = 7;
const std::string kStringMarker = "\x01\x03\x02";
// The stack as a list of texts, strings marked so that they are shown quoted.
const std::string kStackProgram =
    "DEPTH IF 0. == THEN { } ELSE DEPTH DUPN DEPTH 2. / \\->LIST 1. \\<< IF DUP TYPE 2. == THEN \"\\001\\003\\002\" "
    "SWAP + END \\->STR \\>> DOSUBS END";

// "n: text" for the lowest levels, highest first.
std::vector<std::string> StackLines(const std::vector<std::string>& texts) {
  std::vector<std::string> lines;
  const std::size_t n = texts.size();
  for (std::size_t i = n - std::min(n, kShownLevels); i < n; ++i) lines.push_back(std::to_string(n - i) + ": " + texts[i]);
  return lines;
}
}  // namespace

void TXModemServer::SendCalculatorCommand(const std::string& command) { channel_.Execute(command, false, true); }

std::string TXModemServer::RunCommand(const std::string& command, std::vector<std::string>* stack) {
  // The last error cleared first: what the read finds is this command's. An
  // untrapped error stops the line before the second ERR0, which clears an
  // error the command trapped itself (IFERR); on its own line, so that a
  // comment in the command cannot swallow it. An untrapped error still shows
  // on the calculator's own screen.
  SendCalculatorCommand("ERR0 " + command + "\nERR0");
  std::vector<std::string> texts = ReadTexts(stack ? kStackProgram + " ERRM +" : std::string("{ } ERRM +"));
  const std::string error = texts.empty() ? std::string() : texts.back();
  if (!texts.empty()) texts.pop_back();
  if (stack) *stack = StackLines(texts);
  return error;
}

std::vector<std::string> TXModemServer::ReadStack() { return StackLines(ReadTexts(kStackProgram)); }

std::vector<std::string> TXModemServer::ReadTexts(const std::string& program) {
  textScratchLeft_ = true;
  textScratchFolder_ = currentFolder_;
  SendCalculatorCommand(program + " '$$$t' STO");
  return FetchTexts();
}

std::vector<std::string> TXModemServer::FetchTexts() {
  // Not fetched: the link failed, and nothing read may pass for an answer.
  // The scratch variable is purged at the next connection.
  if (!GetObject("$$$t", "", 0)) RaiseTransferError();
  std::vector<std::string> texts;
  try {
    // Past the file header and the list's prolog, the strings of the list.
    const std::string nibbles = UnpackNibbles(lastData_);
    const std::string s = nibbles.size() > 21 ? PackNibbles(std::string_view(nibbles).substr(21)) : std::string();
    for (std::size_t p = 0; s.size() > p + 4 && s[p] == 0x2C && s[p + 1] == 0x2A;) {
      const auto b = [&s](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(s[i])); };
      const unsigned len = (b(p + 2) >> 4) + (b(p + 3) & 0x0F) * 16 + (b(p + 3) >> 4) * 256 + (b(p + 4) & 0x0F) * 4096 +
                           (b(p + 4) >> 4) * 65536;
      const std::size_t chars = len >= 5 ? (len - 5) / 2 : 0;
      if (p + 5 + chars > s.size()) break;
      const bool isString = s.compare(p + 5, 3, kStringMarker) == 0 && chars >= 3;
      const std::size_t skip = isString ? 3 : 0;
      const std::string quote = isString ? "\"" : "";
      texts.push_back(quote + CalcTextToPC(s.substr(p + 5 + skip, chars - skip), {.level = 3, .isString = isString}) +
                      quote);
      p += chars + 5;
    }
  } catch (...) {
    Purge("$$$t", false);
    throw;
  }
  Purge("$$$t", false);
  textScratchLeft_ = false;
  return texts;
}

}  // namespace bridgit

// Reading the calculator's stack as text lines, for the command window and the
// command line.
#include "calcdata/nibbles.h"
#include "calcdata/text_translate.h"
#include "session/xmodem_server.h"

namespace bridgit {

namespace {
constexpr std::size_t kShownLevels = 7;
const std::string kStringMarker = "\x01\x03\x02";
}  // namespace

void TXModemServer::SendCalculatorCommand(const std::string& command) { Execute(command, false, true); }

std::vector<std::string> TXModemServer::ReadStack() {
  std::vector<std::string> lines;
  try {
    SendCalculatorCommand(
        "DEPTH IF 0. == THEN { } ELSE DEPTH DUPN DEPTH 2. / \\->LIST 1. \\<< IF DUP TYPE 2. == THEN \"\\001\\003\\002\" "
        "SWAP + END \\->STR \\>> DOSUBS END '$$$t' STO");
    if (GetObject("$$$t", "", 0)) {
      // Past the file header and the list's prolog, the strings of the list.
      const std::string nibbles = UnpackNibbles(LastData);
      const std::string s = nibbles.size() > 21 ? PackNibbles(std::string_view(nibbles).substr(21)) : std::string();
      std::vector<std::string> texts;
      for (std::size_t p = 0; s.size() > p + 4 && s[p] == 0x2C && s[p + 1] == 0x2A;) {
        const auto b = [&s](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(s[i])); };
        const unsigned len = (b(p + 2) >> 4) + (b(p + 3) & 0x0F) * 16 + (b(p + 3) >> 4) * 256 + (b(p + 4) & 0x0F) * 4096 +
                             (b(p + 4) >> 4) * 65536;
        const std::size_t chars = len >= 5 ? (len - 5) / 2 : 0;
        if (p + 5 + chars > s.size()) break;
        const bool isString = s.compare(p + 5, 3, kStringMarker) == 0 && chars >= 3;
        const std::size_t skip = isString ? 3 : 0;
        const std::string quote = isString ? "\"" : "";
        texts.push_back(": " + quote +
                        CalcTextToPC(s.substr(p + 5 + skip, chars - skip), {.level = 3, .isString = isString}) + quote);
        p += chars + 5;
      }
      const std::size_t n = texts.size();
      for (std::size_t i = n - std::min(n, kShownLevels); i < n; ++i) lines.push_back(std::to_string(n - i) + texts[i]);
    }
  } catch (...) {
    Purge("$$$t", false);
    throw;
  }
  Purge("$$$t", false);
  return lines;
}

}  // namespace bridgit

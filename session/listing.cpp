// The directory listing: one packet with the whole tree, parsed into TXPObjects;
// and the free memory the window shows beside it.
#include "base/clock.h"
#include "base/log.h"
#include "calcdata/escapes.h"
#include "link/link.h"
#include "session/texts.h"
#include "session/xmodem_server.h"

namespace bridgit {

namespace {
constexpr std::size_t kEntryTail = 7;  // type code (2), size (3), two bytes not interpreted
}  // namespace

void TXModemServer::ListAll(TXPObject& home) {
  channel_.CheckConnected();
  home.ClearChildren();
  home.ChildrenLoaded = true;
  channel_.SetStatus(std::string(texts::kStatusGetList));
  channel_.SendCommandChar('l');
  SleepMs(channel_.Link().Timing().BeforeDirList);
  const std::string data = channel_.ReceiveCommandPacket();
  std::size_t pos = 0;
  ParseListing(home, data, pos);
  channel_.SetStatus("");
}

void TXModemServer::ParseListing(TXPObject& parent, const std::string& data, std::size_t& pos) {
  const auto byte = [&data](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(data[i])); };
  for (;;) {
    if (pos >= data.size()) return;
    const std::size_t n = byte(pos);
    if (n == 0) {
      ++pos;
      return;
    }
    // An entry that the payload cuts off is dropped: nothing past the end is read.
    if (pos + 1 + n + kEntryTail > data.size()) {
      Log(texts::kLogListingCut);
      pos = data.size();
      return;
    }
    auto e = std::make_unique<TXPObject>();
    e->Server = this;
    e->Parent = &parent;
    e->ChildrenLoaded = true;
    e->Name = EncodeEscapes(data.substr(pos + 1, n), TEscapeMode::kBackslash);
    pos += n + 1;
    const auto code = static_cast<std::uint16_t>(byte(pos) + 256 * byte(pos + 1));
    if (const auto row = FindTypeByCode16(code)) {
      e->TypeName = std::string(ObjectTypeTable[static_cast<std::size_t>(*row)].name);
      e->TypeIcon = TypeIcon(*row);
    } else {
      e->TypeName.clear();
      e->TypeIcon = kUnknownTypeIcon;
    }
    pos += 2;
    const long long nibbles = byte(pos) + 256LL * byte(pos + 1) + 65536LL * (byte(pos + 2) & 0x0F);
    e->Size = (nibbles + 1) / 2;
    e->OddNibble = (byte(pos) & 1) != 0;
    pos += 5;
    TXPObject& entry = *e;
    parent.Children.push_back(std::move(e));
    if (entry.IsDirectory()) ParseListing(entry, data, pos);
  }
}

std::string TXModemServer::QueryFreeMemory() {
  channel_.SendCommandChar('M');
  std::string answer = channel_.ReceiveCommandPacket();
  const std::size_t mark = answer.find(host_.DecimalSeparator());
  if (mark != std::string::npos) answer.resize(mark);
  return answer;
}

void TXModemServer::ChangeDir(const std::string& path) {
  channel_.SetStatus(std::string(texts::kStatusChangeDir) + path);
  channel_.Execute(path, false, true);
  if (!path.empty()) currentFolder_ = path;
  channel_.SetStatus("");
}

}  // namespace bridgit

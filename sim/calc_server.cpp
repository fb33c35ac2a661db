#include "sim/calc_server.h"

#include <chrono>
#include <thread>

#include "sim/calc_xmodem.h"
#include "sim/screen_font.h"

namespace bridgit::sim {

namespace {

constexpr int kByteWaitMs = 2000;
constexpr int kRetries = 10;
const std::string kServerVersion = "XModem Server 2.3";
constexpr char kKermitStart = 0x01;

// How long the calculator takes after an exchange before it listens again:
// the least that a PC keeps there, at any speed and on either link.
constexpr int kAfterPacketMs = 50;          // its own packet acknowledged
constexpr int kAfterCommandMs = 100;        // the PC's command packet acknowledged
constexpr int kAfterObjectSentMs = 150;     // its end of transmission acknowledged (100 + 50)
constexpr int kAfterObjectReceivedMs = 110; // the PC's end of transmission acknowledged (100 + 10)
constexpr int kBeforeArchiveMs = 400;       // the archive program's command acknowledged (100 + 300)
// The pulse's M letters and acknowledgements can meet the answer to an M on the line.
const std::string kPulseCrossing = "M\x06";

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

TCalcServer::TCalcServer(TCalcLink& link, TCalcMemory& memory, TCalcIdentity identity, TFaults& faults,
                         TServerOptions options)
    : link_(link),
      memory_(memory),
      identity_(identity),
      faults_(faults),
      options_(options),
      machine_(memory, identity),
      serving_(options.mode != TServerMode::kOff),
      startedWithServer_(options.mode != TServerMode::kOff) {
  machine_.onArchive = [this] {
    // The archive program: the whole memory as one object, sent when the PC
    // asks, at the calculator's own speed.
    TOwnSpeed own(*this);
    link_.DeafAfterLastWrite(kBeforeArchiveMs);
    const bool ok = SendObject(ObjectFile(memory_.Backup()), 30000);
    if (ok) link_.DeafAfterLastWrite(kAfterObjectSentMs);
    SetResult(ok ? "ok archive sent" : "error archive not sent");
  };
  machine_.onRestore = [this] { serving_ = false; };
  machine_.onWait = [](int ms) { Pause(std::min(ms, 10000)); };
  link_.SetLineSpeed(options_.speed);
}

void TCalcServer::Post(std::function<void()> action) {
  std::lock_guard lock(mutex_);
  actions_.push_back(std::move(action));
}

void TCalcServer::Abort() { link_.Abort(); }

std::string TCalcServer::LastResult() const {
  std::lock_guard lock(mutex_);
  return lastResult_;
}

void TCalcServer::SetResult(const std::string& r) {
  std::lock_guard lock(mutex_);
  lastResult_ = r;
}

void TCalcServer::Run(const std::atomic<bool>& stop) {
  while (!stop) {
    if (link_.Aborting()) {
      // Whatever was in progress has given up: back to the idle server.
      link_.DiscardInput();
      link_.EndAbort();
    }
    std::function<void()> action;
    {
      std::lock_guard lock(mutex_);
      if (!actions_.empty()) {
        action = std::move(actions_.front());
        actions_.pop_front();
      }
    }
    if (action) {
      action();
      continue;
    }
    if (!serving_) {
      Pause(20);
      link_.DiscardInput();
      continue;
    }
    if (options_.mode == TServerMode::kKermit) {
      link_.Write(std::string(1, kKermitStart));  // the other server's packets begin so
      Pause(100);
      link_.DiscardInput();
      continue;
    }
    char letter;
    if (link_.ReadByte(letter, 50)) ServeOne(letter);
  }
}

void TCalcServer::ServeOne(char letter) {
  int stallMs = 0;
  if (faults_.Fire("stall", &stallMs)) Pause(stallMs);
  if (faults_.Fire("garbage")) {
    link_.Write("\x13\x37\xC0\xDE");
    return;
  }
  std::string payload;
  switch (letter) {
    case 'V':
      if (SendPacket(kServerVersion)) link_.DeafAfterLastWrite(kAfterPacketMs);
      break;
    case 'M':
      if (SendPacket(FormatReal(static_cast<double>(memory_.FreeBytes()), memory_.Flag(-51))))
        link_.DeafAfterLastWrite(kAfterPacketMs, kPulseCrossing);
      break;
    case 'l':
      if (SendPacket(memory_.Listing())) link_.DeafAfterLastWrite(kAfterPacketMs);
      break;
    case 'E':
      if (!ReceivePacket(payload)) break;
      machine_.Execute(payload);
      // Deaf while it evaluates: what the PC sent meanwhile is lost.
      Pause(options_.evalMs);
      link_.DiscardInput();
      break;
    case 'G': {
      if (!ReceivePacket(payload)) break;
      TVar* v = memory_.Current().Find(payload);
      if (!v) {
        // Nothing of that name: the PC's start request is answered by a cancel.
        char c;
        if (link_.ReadByte(c, 10000)) link_.Write(std::string(3, kCan));
        break;
      }
      if (SendObject(ObjectFile(v->IsDir() ? v->dir->ToObject() : v->object), 10000))
        link_.DeafAfterLastWrite(kAfterObjectSentMs);
      break;
    }
    case 'P': {
      if (!ReceivePacket(payload)) break;
      std::string file;
      if (!ReceiveObject(file, 10000)) break;
      // An end of transmission again: our ACK reached the PC garbled.
      link_.DeafAfterLastWrite(kAfterObjectReceivedMs, std::string(1, kEot));
      StoreFile(payload, file);
      break;
    }
    case 'Q':
      serving_ = false;
      break;
    default:
      break;  // not a command: ignored, as the server's loop does
  }
}

bool TCalcServer::Refuse() {
  int count = 0;
  if (faults_.Fire("nak", &count)) refusals_ = count;
  if (refusals_ == 0) return false;
  --refusals_;
  return true;
}

bool TCalcServer::SendPacket(const std::string& payload) {
  const std::size_t n = std::min<std::size_t>(payload.size(), 65535);
  std::string packet;
  packet += static_cast<char>(n >> 8);
  packet += static_cast<char>(n & 0xFF);
  packet += payload.substr(0, n);
  packet += static_cast<char>(ByteSum(payload.substr(0, n)));
  for (int attempt = 0; attempt < kRetries; ++attempt) {
    std::string out = packet;
    if (faults_.Fire("corrupt-packet")) out.back() = static_cast<char>(out.back() ^ 0x5A);
    link_.Write(out);
    char reply;
    if (!link_.ReadByte(reply, 3000)) return false;
    if (reply == kAck) return true;
  }
  return false;
}

bool TCalcServer::ReceivePacket(std::string& payload) {
  for (int attempt = 0; attempt < kRetries; ++attempt) {
    const std::string size = link_.Read(2, kByteWaitMs);
    if (size.size() < 2) return false;
    const std::size_t n = static_cast<unsigned char>(size[0]) * 256u + static_cast<unsigned char>(size[1]);
    const std::string body = link_.Read(n + 1, kByteWaitMs + static_cast<int>(n));
    const bool refuse = Refuse();
    if (body.size() == n + 1 && static_cast<unsigned char>(body[n]) == ByteSum(body.substr(0, n)) && !refuse) {
      link_.Write(std::string(1, kAck));
      link_.DeafAfterLastWrite(kAfterCommandMs);
      payload = body.substr(0, n);
      return true;
    }
    link_.DiscardInput();
    link_.Write(std::string(1, kNak));
  }
  return false;
}

std::string TCalcServer::ObjectFile(const TObj& o) const {
  const char revision = identity_.family == "71" && !identity_.romRevision.empty() ? identity_.romRevision[0] : 'C';
  return FileHeader(identity_.family, revision) + ToBytes(o);
}

bool TCalcServer::SendObject(const std::string& data, int startWaitMs) {
  char start;
  TBlockCheck mode;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(startWaitMs);
  do {
    if (!link_.ReadByte(start, 100)) start = 0;
    if (std::chrono::steady_clock::now() > deadline) return false;
  } while (!CheckAskedBy(start, mode));

  std::uint32_t number = 1;
  for (std::size_t at = 0; at < data.size();) {
    const std::size_t size = data.size() - at >= kLongBlock ? kLongBlock : kShortBlock;
    const std::string frame = MakeBlock(static_cast<std::uint8_t>(number), data.substr(at), size, mode);
    if (faults_.Fire("can")) {
      link_.Write(std::string(3, kCan));
      return false;
    }
    bool accepted = false;
    for (int attempt = 0; attempt < kRetries && !accepted; ++attempt) {
      std::string out = frame;
      if (faults_.Fire("corrupt-block")) out[3] = static_cast<char>(out[3] ^ 0x01);
      link_.Write(out);
      char reply;
      if (!link_.ReadByte(reply, 5000)) continue;
      if (reply == kCan) return false;
      accepted = reply == kAck;
      if (accepted && faults_.Fire("lose-ack")) {
        link_.Write(frame);  // the ACK "did not arrive": the block comes again
        link_.ReadByte(reply, 5000);
      }
    }
    if (!accepted) {
      link_.Write(std::string(3, kCan));
      return false;
    }
    at += size;
    ++number;
  }
  for (int attempt = 0; attempt < kRetries; ++attempt) {
    link_.Write(std::string(1, kEot));
    char reply;
    if (link_.ReadByte(reply, 3000) && reply == kAck) return true;
  }
  return false;
}

bool TCalcServer::ReceiveObject(std::string& data, int startWaitMs) {
  const char request = identity_.family == "73" ? kAskKermit : kNak;
  TBlockCheck mode;
  CheckAskedBy(request, mode);
  const std::size_t checkLength = CheckSize(mode);
  data.clear();
  std::uint8_t expected = 1;
  bool started = false;
  int silence = 0;
  const int startTries = std::max(1, startWaitMs / 1000);
  link_.Write(std::string(1, request));
  for (;;) {
    char header;
    if (!link_.ReadByte(header, started ? 3000 : 1000)) {
      if (++silence > (started ? kRetries : startTries)) return false;
      link_.Write(std::string(1, started ? kNak : request));
      continue;
    }
    silence = 0;
    if (header == kEot) {
      link_.Write(std::string(1, kAck));
      return true;
    }
    if (header == kCan) return false;
    if (header != kSoh && header != kStx) {
      link_.DiscardInput();
      continue;
    }
    started = true;
    const std::size_t n = header == kStx ? kLongBlock : kShortBlock;
    const std::string rest = link_.Read(n + 2 + checkLength, 3000);
    const bool refuse = Refuse();
    if (!refuse && BlockIsWhole(rest, n, mode, expected)) {
      data += rest.substr(2, n);
      ++expected;
      if (!faults_.Fire("lose-ack")) link_.Write(std::string(1, kAck));
    } else if (!refuse && BlockIsWhole(rest, n, mode, static_cast<std::uint8_t>(expected - 1)) && expected > 1) {
      link_.Write(std::string(1, kAck));  // a repeat of the last block
    } else {
      link_.DiscardInput();
      link_.Write(std::string(1, kNak));
    }
  }
}

bool TCalcServer::StoreFile(const std::string& name, const std::string& file) {
  if (!IsObjectFile(file) || file.size() < kFileHeaderBytes + 3) {
    SetResult("error not an object");
    return false;
  }
  const TObj object = ObjectOfFile(file);
  try {
    memory_.Store(name, object);
  } catch (const TRplError& e) {
    SetResult("error " + e.message);
    return false;
  }
  SetResult("ok stored " + name);
  return true;
}

namespace {

// The server library of the "71" family, as the shipped XSrvr71.zq holds it.
bool HoldsServerLibrary(const TDir& dir) {
  for (const TVar& v : dir.vars) {
    if (v.IsDir() ? HoldsServerLibrary(*v.dir) : false) return true;
    if (!v.IsDir() && PrologOf(v.object) == kLibrary && v.object.size() >= 20) {
      std::string name;
      for (std::size_t i = 0; i < 5; ++i) name += static_cast<char>(Field(v.object, 10 + 2 * i, 2));
      if (name == "XSRVR") return true;
    }
  }
  return false;
}

}  // namespace

void TCalcServer::StartServer() {
  // The newer models have the server built in; the older ones run it from the
  // library once it has been downloaded (unless it was there from the start).
  if (identity_.family == "71" && !startedWithServer_ && !HoldsServerLibrary(memory_.Home())) {
    SetResult("error no server library");
    return;
  }
  serving_ = true;
  SetResult("ok server");
}

void TCalcServer::ManualReceive(const std::string& name) {
  std::string file;
  TOwnSpeed own(*this);
  if (ReceiveObject(file, 60000) && StoreFile(name, file)) return;
  if (LastResult().rfind("error", 0) != 0) SetResult("error receive failed");
}

void TCalcServer::ManualSend(const std::string& name) {
  TVar* v = memory_.Current().Find(name);
  if (!v) {
    SetResult("error no variable " + name);
    return;
  }
  TOwnSpeed own(*this);
  const bool ok = SendObject(ObjectFile(v->IsDir() ? v->dir->ToObject() : v->object), 60000);
  SetResult(ok ? "ok sent " + name : "error send failed");
}

std::string TCalcServer::ScreenBitmap(int width, int height) {
  // Rows of (width + 7) / 8 bytes, the least significant bit leftmost. The
  // display shows what DISP put there, or else the lowest stack levels, as
  // "n: object", the first level at the bottom.
  const int stride = (width + 7) / 8;
  std::string rows(static_cast<std::size_t>(stride * height), '\0');
  auto set = [&](int x, int y) {
    if (x >= 0 && x < width && y >= 0 && y < height) rows[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<char>(1 << (x % 8));
  };
  const int cellW = kGlyphWidth + 1, cellH = kGlyphHeight + 2;
  const int lines = height / cellH;
  std::vector<std::string> text(static_cast<std::size_t>(lines));
  const auto& shown = machine_.Display();
  bool any = false;
  for (std::size_t i = 0; i < shown.size() && i < text.size(); ++i) {
    text[i] = shown[i];
    any |= !shown[i].empty();
  }
  if (!any) {
    const auto& stack = machine_.Stack();
    for (int level = 1; level <= lines && static_cast<std::size_t>(level) <= stack.size(); ++level)
      text[static_cast<std::size_t>(lines - level)] =
          std::to_string(level) + ": " + Decompile(stack[stack.size() - static_cast<std::size_t>(level)], memory_.Flag(-51));
  }
  for (int line = 0; line < lines; ++line) {
    const std::string& t = text[static_cast<std::size_t>(line)];
    for (int col = 0; col < static_cast<int>(t.size()) && (col + 1) * cellW <= width; ++col) {
      const std::uint16_t g = Glyph(t[static_cast<std::size_t>(col)]);
      for (int r = 0; r < kGlyphHeight; ++r)
        for (int c = 0; c < kGlyphWidth; ++c)
          if (g & (1u << (14 - (r * 3 + c)))) set(1 + col * cellW + c, 1 + line * cellH + r);
    }
  }
  return rows;
}

void TCalcServer::SendScreen(const std::string& layout) {
  constexpr int kWidth = 131, kHeight = 64;
  const std::string rows = ScreenBitmap(kWidth, kHeight);
  std::string out;
  if (layout == "page") {
    // 8 pages of 135 bytes; a byte holds 8 rows of one column, the top row in bit 0.
    std::string pages(1080, '\0');
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (rows[static_cast<std::size_t>(y * 17 + x / 8)] & (1 << (x % 8)))
          pages[static_cast<std::size_t>(135 * (y / 8) + 1 + x)] |= static_cast<char>(1 << (y % 8));
    out = std::string(1, 0x1B) + pages;
  } else if (layout == "header") {
    out = std::string("\x00\x00\x00\x01\x40\x83", 6) + rows;
  } else if (layout == "legacy") {
    out = std::string("\x00G", 2) + rows + std::string(1084 + 4 - rows.size(), '\0');
  } else {
    SetResult("error unknown layout " + layout);
    return;
  }
  TOwnSpeed own(*this);
  link_.Write(out);
  SetResult("ok screen " + layout);
}

void TCalcServer::RomLoader() {
  const std::string size = link_.Read(4, 60000);
  if (size.size() < 4) {
    SetResult("error rom no length");
    return;
  }
  std::uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(size[static_cast<std::size_t>(i)]);
  const std::string image = link_.Read(n, 5000 + static_cast<int>(n / 10));
  if (image.size() != n) {
    SetResult("error rom short " + std::to_string(image.size()) + " of " + std::to_string(n));
    return;
  }
  char crc[8];
  std::snprintf(crc, sizeof crc, "%04X", ArcCrc(image));
  SetResult("ok rom " + std::to_string(n) + " bytes crc " + crc);
}

}  // namespace bridgit::sim

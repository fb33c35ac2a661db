#include "sim/rpl_objects.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bridgit::sim {

namespace {

constexpr char kOpen = static_cast<char>(171);   // the program delimiters
constexpr char kClose = static_cast<char>(187);

void PutChars(TObj& o, std::string_view chars) {
  for (char c : chars) PutField(o, static_cast<unsigned char>(c), 2);
}

std::string GetChars(const TObj& o, std::size_t at, std::size_t count) {
  std::string s;
  s.reserve(count);
  for (std::size_t i = 0; i < count; ++i) s += static_cast<char>(Field(o, at + 2 * i, 2));
  return s;
}

}  // namespace

std::uint32_t Field(const TObj& o, std::size_t at, int count) {
  std::uint32_t v = 0;
  for (int i = count - 1; i >= 0; --i) {
    const std::size_t k = at + static_cast<std::size_t>(i);
    if (k >= o.size()) throw TRplError{"Bad Argument Type"};
    v = (v << 4) | (static_cast<unsigned char>(o[k]) & 15u);
  }
  return v;
}

void PutField(TObj& o, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i, value >>= 4) o += static_cast<char>(value & 15u);
}

std::uint32_t PrologOf(const TObj& o) { return o.size() >= 5 ? Field(o, 0, 5) : 0; }

TObj MakeReal(double value) {
  TObj o;
  PutField(o, kReal, 5);
  int exponent = 0;
  std::uint64_t mantissa = 0;
  const bool negative = value < 0;
  if (value != 0 && std::isfinite(value)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.11e", std::fabs(value));  // d.ddddddddddde+XX
    std::string digits;
    for (const char* p = buf; *p && *p != 'e'; ++p)
      if (*p != '.') digits += *p;
    exponent = std::atoi(std::strchr(buf, 'e') + 1);
    mantissa = std::stoull(digits);
  }
  const int e = exponent < 0 ? 1000 + exponent : exponent;  // ten's complement
  for (int i = 0; i < 3; ++i) PutField(o, static_cast<std::uint32_t>(e / static_cast<int>(std::pow(10, i)) % 10), 1);
  for (int i = 0; i < 12; ++i, mantissa /= 10) PutField(o, static_cast<std::uint32_t>(mantissa % 10), 1);
  PutField(o, negative ? 9 : 0, 1);
  return o;
}

double RealValue(const TObj& o) {
  if (PrologOf(o) != kReal || o.size() < 21) throw TRplError{"Bad Argument Type"};
  int e = 0;
  for (int i = 2; i >= 0; --i) e = e * 10 + static_cast<int>(Field(o, 5 + static_cast<std::size_t>(i), 1));
  if (e >= 500) e -= 1000;
  double m = 0;
  for (int i = 11; i >= 0; --i) m = m * 10 + Field(o, 8 + static_cast<std::size_t>(i), 1);
  const double v = m / 1e11 * std::pow(10.0, e);
  return Field(o, 20, 1) == 9 ? -v : v;
}

TObj MakeString(std::string_view chars) {
  TObj o;
  PutField(o, kString, 5);
  PutField(o, static_cast<std::uint32_t>(5 + 2 * chars.size()), 5);
  PutChars(o, chars);
  return o;
}

std::string StringValue(const TObj& o) {
  if (PrologOf(o) != kString) throw TRplError{"Bad Argument Type"};
  const std::uint32_t len = Field(o, 5, 5);
  return GetChars(o, 10, (len - 5) / 2);
}

TObj MakeName(std::string_view chars, std::uint32_t prolog) {
  TObj o;
  PutField(o, prolog, 5);
  PutField(o, static_cast<std::uint32_t>(chars.size()), 2);
  PutChars(o, chars);
  return o;
}

std::string NameValue(const TObj& o) { return GetChars(o, 7, Field(o, 5, 2)); }

TObj MakeComposite(std::uint32_t prolog, const std::vector<TObj>& items) {
  TObj o;
  PutField(o, prolog, 5);
  for (const TObj& i : items) o += i;
  PutField(o, kSemi, 5);
  return o;
}

namespace {

enum class TShape { kFixed, kCounted, kComposite, kName, kDirectory };

struct TKind {
  std::uint32_t prolog;
  const char* name;
  TShape shape;
  std::size_t nibbles;  // kFixed: the whole object, prolog included
};

// The types the simulator builds, takes apart or keeps as files.
constexpr TKind kKinds[] = {
    {kReal, "Real", TShape::kFixed, 21},
    {kSystemBinary, "Binary Integer", TShape::kFixed, 10},
    {kSemi, "Semi", TShape::kFixed, 5},
    {kString, "String", TShape::kCounted, 0},
    {kHexString, "Hex String", TShape::kCounted, 0},
    {kGrob, "Graphical Object", TShape::kCounted, 0},
    {kLibrary, "Library", TShape::kCounted, 0},
    {kBackup, "Backup", TShape::kCounted, 0},
    {kList, "List", TShape::kComposite, 0},
    {kProgram, "RPL", TShape::kComposite, 0},
    {kAlgebraic, "Algebraic", TShape::kComposite, 0},
    {kGlobal, "Global", TShape::kName, 0},
    {kDirectory, "Directory", TShape::kDirectory, 0},
};

const TKind* KindOf(std::uint32_t prolog) {
  for (const TKind& k : kKinds)
    if (k.prolog == prolog) return &k;
  return nullptr;
}

bool IsCommand(std::uint32_t prolog) { return prolog >= kCommandBase && prolog < kCommandBase + CommandNames().size(); }

// Nesting deeper than this is taken for damaged data.
constexpr int kDeepest = 256;

std::optional<std::size_t> EndOf(const TObj& o, std::size_t at, int depth) {
  if (depth > kDeepest || at + 5 > o.size()) return std::nullopt;
  const std::uint32_t prolog = Field(o, at, 5);
  std::size_t end = 0;
  if (IsCommand(prolog)) {
    end = at + 5;
  } else if (const TKind* kind = KindOf(prolog); !kind) {
    return std::nullopt;
  } else {
    switch (kind->shape) {
      case TShape::kFixed:
        end = at + kind->nibbles;
        break;
      case TShape::kCounted: {
        // The length counts from its own first nibble.
        if (at + 10 > o.size()) return std::nullopt;
        const std::uint32_t length = Field(o, at + 5, 5);
        if (length < 5) return std::nullopt;
        end = at + 5 + length;
        break;
      }
      case TShape::kComposite: {
        std::size_t p = at + 5;
        for (;;) {
          if (p + 5 > o.size()) return std::nullopt;
          if (Field(o, p, 5) == kSemi) break;
          const auto next = EndOf(o, p, depth + 1);
          if (!next) return std::nullopt;
          p = *next;
        }
        end = p + 5;
        break;
      }
      case TShape::kName:
        if (at + 7 > o.size()) return std::nullopt;
        end = at + 7 + 2 * Field(o, at + 5, 2);
        break;
      case TShape::kDirectory: {
        // The offset at +8 leads to the name of the last variable; its object
        // closes the folder.
        if (at + 13 > o.size()) return std::nullopt;
        const std::uint32_t offset = Field(o, at + 8, 5);
        if (offset == 0) {
          end = at + 13;
          break;
        }
        const std::size_t name = at + 8 + offset;
        if (offset < 10 || name + 2 > o.size()) return std::nullopt;
        const auto last = EndOf(o, name + 2 + 2 * Field(o, name, 2) + 2, depth + 1);
        if (!last) return std::nullopt;
        end = *last;
        break;
      }
    }
  }
  if (end > o.size()) return std::nullopt;
  return end;
}

}  // namespace

std::optional<std::size_t> KnownLength(const TObj& nibbles, std::size_t at) {
  const auto end = EndOf(nibbles, at, 0);
  if (!end) return std::nullopt;
  return *end - at;
}

std::size_t ObjectLength(const TObj& nibbles, std::size_t at) {
  const auto length = KnownLength(nibbles, at);
  if (!length) throw TRplError{"Invalid object"};
  return *length;
}

const char* TypeName(std::uint32_t prolog) {
  const TKind* kind = KindOf(prolog);
  return kind ? kind->name : nullptr;
}

double TypeNumber(std::uint32_t prolog) {
  // The calculator's own numbering; an array counts as a real one.
  static const std::pair<std::uint32_t, double> numbers[] = {
      {kReal, 0},        {0x02977, 1},   {kString, 2},   {0x029E8, 3},   {kList, 5},       {kGlobal, 6},
      {0x02E6D, 7},      {kProgram, 8},  {kAlgebraic, 9}, {kHexString, 10}, {kGrob, 11},    {0x02AFC, 12},
      {0x02ADA, 13},     {0x02E92, 14},  {kDirectory, 15}, {kLibrary, 16}, {kBackup, 17},   {kSystemBinary, 20},
      {0x02955, 21},     {0x0299D, 22},  {0x02A0A, 23},  {0x029BF, 24},  {0x02DCC, 25},   {0x02B88, 26},
      {0x02614, 28},     {0x02686, 29},  {0x02BCC, 30}};
  for (const auto& [code, number] : numbers)
    if (code == prolog) return number;
  return 20;
}

std::vector<TObj> Elements(const TObj& composite) {
  std::vector<TObj> items;
  std::size_t pos = 5;
  while (pos + 5 <= composite.size() && Field(composite, pos, 5) != kSemi) {
    const std::size_t length = ObjectLength(composite, pos);
    items.push_back(composite.substr(pos, length));
    pos += length;
  }
  return items;
}

TObj MakeHex(std::uint64_t value) {
  TObj o;
  PutField(o, kHexString, 5);
  PutField(o, 21, 5);
  for (int i = 0; i < 16; ++i, value >>= 4) o += static_cast<char>(value & 15u);
  return o;
}

std::uint64_t HexValue(const TObj& o) {
  if (PrologOf(o) == kSystemBinary) return Field(o, 5, 5);
  if (PrologOf(o) != kHexString) throw TRplError{"Bad Argument Type"};
  const std::uint32_t digits = std::min<std::uint32_t>(16, Field(o, 5, 5) - 5);
  std::uint64_t v = 0;
  for (int i = static_cast<int>(digits) - 1; i >= 0; --i) v = (v << 4) | Field(o, 10 + static_cast<std::size_t>(i), 1);
  return v;
}

TObj MakeSystemBinary(std::uint32_t value) {
  TObj o;
  PutField(o, kSystemBinary, 5);
  PutField(o, value & 0xFFFFF, 5);
  return o;
}

TObj MakeAlgebraic(std::string_view text) { return MakeComposite(kAlgebraic, {MakeString(text)}); }

std::string AlgebraicText(const TObj& o) {
  const auto items = Elements(o);
  return items.empty() ? std::string() : StringValue(items[0]);
}

TObj MakeCommand(int id) {
  TObj o;
  PutField(o, kCommandBase + static_cast<std::uint32_t>(id), 5);
  return o;
}

TObj MakeGrob(int width, int height, std::string_view rows) {
  TObj o;
  PutField(o, kGrob, 5);
  const std::size_t bytes = static_cast<std::size_t>((width + 7) / 8 * height);
  PutField(o, static_cast<std::uint32_t>(15 + 2 * bytes), 5);
  PutField(o, static_cast<std::uint32_t>(height), 5);
  PutField(o, static_cast<std::uint32_t>(width), 5);
  std::string data(rows.substr(0, bytes));
  data.resize(bytes, '\0');
  PutChars(o, data);
  return o;
}

TObj FromBytes(std::string_view bytes) {
  TObj o;
  o.reserve(2 * bytes.size());
  for (char b : bytes) {
    o += static_cast<char>(static_cast<unsigned char>(b) & 15u);
    o += static_cast<char>(static_cast<unsigned char>(b) >> 4);
  }
  return o;
}

std::string ToBytes(const TObj& o) {
  std::string bytes((o.size() + 1) / 2, '\0');
  for (std::size_t k = 0; k < o.size(); ++k)
    bytes[k / 2] = static_cast<char>(bytes[k / 2] | ((static_cast<unsigned char>(o[k]) & 15u) << (k % 2 ? 4 : 0)));
  return bytes;
}

std::string FileHeader(std::string_view family, char revision) {
  return "ZQZQ" + std::string(family) + "-" + std::string(1, revision);
}

bool IsObjectFile(std::string_view bytes) { return bytes.starts_with("ZQZQ"); }

TObj ObjectOfFile(std::string_view file) {
  TObj o = FromBytes(file.substr(std::min(file.size(), kFileHeaderBytes)));
  if (const auto length = KnownLength(o, 0)) o.resize(*length);
  return o;
}

bool IsTrue(const TObj& o) {
  if (PrologOf(o) == kReal) return RealValue(o) != 0;
  if (PrologOf(o) == kHexString || PrologOf(o) == kSystemBinary) return HexValue(o) != 0;
  throw TRplError{"Bad Argument Type"};
}

const std::vector<std::string>& CommandNames() {
  static const std::vector<std::string> names = {
      "+", "-", "*", "/", "DUP", "DROP", "SWAP", "OVER", "ROT", "CLEAR", "DEPTH", "DUP2", "DROP2", "NEG",
      "STO", "RCL", "PURGE", "PGDIR", "CRDIR", "HOME", "UPDIR", "EVAL", "FS?", "FC?", "SF", "CF",
      "RCLF", "STOF", "STWS", "STD", "DEG", "RAD", "GRAD", "IOPAR", "GET", "VERSION", "MEM", "NEWOB",
      "RESTORE", "SYSEVAL", "CLLCD", "DISP", "WAIT", "IFERR", "IF", "THEN", "ELSE", "END",
      "\x8DLIST", "\x8DSTR", "STR\x8D", "OBJ\x8D", "SIZE", "ARCHIVESEND", "==", "<", ">", "NOT", "TYPE",
      "VARS", "PATH", "SERVER", "DUPN", "DOSUBS", "BYTES", "ERRM", "ERRN", "ERR0", "VTYPE"};
  return names;
}

int CommandId(std::string_view name) {
  const auto& names = CommandNames();
  const auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

std::string FormatReal(double value, bool comma) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.12G", value);
  std::string s(buf);
  if (s.find_first_of(".E") == std::string::npos) s += '.';
  const std::size_t e = s.find('E');
  if (e != std::string::npos) {
    // 1.5E-7 as the calculator writes it: mantissa with a mark, exponent plain.
    std::string mant = s.substr(0, e), exp = s.substr(e + 1);
    if (mant.find('.') == std::string::npos) mant += '.';
    const bool negative = exp.starts_with('-');
    exp = exp.substr(exp[0] == '+' || exp[0] == '-' ? 1 : 0);
    while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
    if (negative) exp = "-" + exp;
    s = mant + "E" + exp;
  }
  if (comma) std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

std::string Decompile(const TObj& o, bool comma) {
  const std::uint32_t prolog = PrologOf(o);
  const auto joined = [&](const std::vector<TObj>& items) {
    std::string s;
    for (const TObj& i : items) s += " " + Decompile(i, comma);
    return s + " ";
  };
  switch (prolog) {
    case kReal: return FormatReal(RealValue(o), comma);
    case kString: {
      std::string s = "\"";
      for (char c : StringValue(o)) {
        if (c == '"' || c == '\\') s += '\\';
        s += c;
      }
      return s + "\"";
    }
    case kGlobal: return NameValue(o);
    case kList: return "{" + joined(Elements(o)) + "}";
    case kProgram: return std::string(1, kOpen) + joined(Elements(o)) + std::string(1, kClose);
    case kAlgebraic: {
      const auto items = Elements(o);
      return "'" + (items.empty() ? std::string() : StringValue(items[0])) + "'";
    }
    case kHexString: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "# %llXh", static_cast<unsigned long long>(HexValue(o)));
      return buf;
    }
    case kSystemBinary: return "<" + std::to_string(HexValue(o)) + "d>";
    case kGrob: return "Graphic " + std::to_string(Field(o, 15, 5)) + " x " + std::to_string(Field(o, 10, 5));
    case kDirectory: return "DIR ... END";
    case kBackup: return "Backup HOMEDIR";
    default:
      if (prolog >= kCommandBase && prolog < kCommandBase + CommandNames().size()) return CommandNames()[prolog - kCommandBase];
      return "External";
  }
}

}  // namespace bridgit::sim

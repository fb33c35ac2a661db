// Calculator objects as the simulator holds them: nibble strings (one char a
// nibble, 0 to 15), exactly the nibbles of a binary object file after its
// header. Building, taking apart and decompiling the types the simulator knows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bridgit::sim {

using TObj = std::string;

inline constexpr std::uint32_t kReal = 0x02933;
inline constexpr std::uint32_t kString = 0x02A2C;
inline constexpr std::uint32_t kList = 0x02A74;
inline constexpr std::uint32_t kProgram = 0x02D9D;
inline constexpr std::uint32_t kAlgebraic = 0x02AB8;
inline constexpr std::uint32_t kGlobal = 0x02E48;
inline constexpr std::uint32_t kHexString = 0x02A4E;  // user binary integer (#...h)
inline constexpr std::uint32_t kSystemBinary = 0x02911;
inline constexpr std::uint32_t kGrob = 0x02B1E;
inline constexpr std::uint32_t kDirectory = 0x02A96;
inline constexpr std::uint32_t kBackup = 0x02B62;
inline constexpr std::uint32_t kLibrary = 0x02B40;
inline constexpr std::uint32_t kSemi = 0x0312B;
// Built-in commands are 5-nibble pointers into the calculator's ROM; the
// simulator's ROM puts them from here on, clear of every prolog.
inline constexpr std::uint32_t kCommandBase = 0x1A000;

struct TRplError {
  std::string message;
};

std::uint32_t PrologOf(const TObj& o);
std::uint32_t Field(const TObj& o, std::size_t at, int count);
void PutField(TObj& o, std::uint32_t value, int count);

TObj MakeReal(double value);
double RealValue(const TObj& o);
TObj MakeString(std::string_view chars);
std::string StringValue(const TObj& o);
TObj MakeName(std::string_view chars, std::uint32_t prolog = kGlobal);
std::string NameValue(const TObj& o);
TObj MakeComposite(std::uint32_t prolog, const std::vector<TObj>& items);
std::vector<TObj> Elements(const TObj& composite);
TObj MakeHex(std::uint64_t value);
std::uint64_t HexValue(const TObj& o);
TObj MakeSystemBinary(std::uint32_t value);
TObj MakeAlgebraic(std::string_view text);
std::string AlgebraicText(const TObj& o);
TObj MakeCommand(int id);
// A graphic of width x height pixels, rows of (width + 7) / 8 bytes.
TObj MakeGrob(int width, int height, std::string_view rows);
// The length in nibbles of the object starting at `at`, laid out as the
// simulator lays out the types it knows (built-in command pointers included);
// nothing when the type is unknown to it or the object runs past the end.
std::optional<std::size_t> KnownLength(const TObj& nibbles, std::size_t at);
// The same; throws TRplError when the length is not known.
std::size_t ObjectLength(const TObj& nibbles, std::size_t at);
// The name of a type the simulator knows, or nullptr.
const char* TypeName(std::uint32_t prolog);
// The number TYPE gives for an object of this prolog (20, a system binary's,
// for the prologs the simulator cannot tell apart).
double TypeNumber(std::uint32_t prolog);

// Nibbles <-> bytes, the low nibble of a byte first; an odd last nibble gets
// a high nibble of 0.
TObj FromBytes(std::string_view bytes);
std::string ToBytes(const TObj& o);

// Binary object files: "ZQZQ", the family digits, "-", a revision letter,
// then the object's bytes.
inline constexpr std::size_t kFileHeaderBytes = 8;
std::string FileHeader(std::string_view family, char revision = 'C');
bool IsObjectFile(std::string_view bytes);
// The object a file holds: cut to its length when the simulator knows its
// type (dropping transfer padding), otherwise every nibble it was given.
TObj ObjectOfFile(std::string_view file);

bool IsTrue(const TObj& o);

// The names of the built-in commands, by id.
const std::vector<std::string>& CommandNames();
int CommandId(std::string_view name);  // -1 when unknown

// The calculator's text for an object (as the calculator's ->STR writes it),
// in calculator characters. `comma` selects the comma as fraction mark.
std::string Decompile(const TObj& o, bool comma = false);
std::string FormatReal(double value, bool comma);

}  // namespace bridgit::sim

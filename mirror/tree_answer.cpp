#include "mirror/tree_answer.h"

#include <optional>
#include <utility>

#include "calcdata/escapes.h"
#include "calcdata/nibbles.h"
#include "calcdata/object_header.h"
#include "calcdata/object_walk.h"
#include "session/xp_object.h"

namespace bridgit::mirror {

namespace {

constexpr std::uint32_t kRealProlog = 0x02933;
constexpr std::uint32_t kGlobalProlog = 0x02E48;
constexpr long long kTypeFactor = 10000000;  // nibbles stay below it (20 bits)
constexpr int kFolderType = 15;

std::uint32_t PrologAt(const std::string& file, TNibbleRange r) {
  return r.second - r.first >= 5 ? NibbleField(file, r.first, 5) : 0;
}

// The characters of the global name at `r`, or nothing.
std::optional<std::string> NameAt(const std::string& file, TNibbleRange r) {
  if (PrologAt(file, r) != kGlobalProlog || r.second - r.first < 7) return std::nullopt;
  const std::size_t count = NibbleField(file, r.first + 5, 2);
  if (r.second - r.first != 7 + 2 * count) return std::nullopt;
  std::string chars;
  for (std::size_t k = 0; k < count; ++k) chars += static_cast<char>(NibbleField(file, r.first + 7 + 2 * k, 2));
  return chars;
}

// The whole number a real at `r` holds (BCD: exponent, 12 digits, sign), or
// nothing for anything else.
std::optional<long long> WholeAt(const std::string& file, TNibbleRange r) {
  if (PrologAt(file, r) != kRealProlog || r.second - r.first != 21) return std::nullopt;
  int exponent = 0;
  for (int k = 2; k >= 0; --k) exponent = exponent * 10 + static_cast<int>(NibbleAt(file, r.first + 5 + k));
  long long mantissa = 0;
  for (int k = 11; k >= 0; --k) mantissa = mantissa * 10 + NibbleAt(file, r.first + 8 + k);
  if (NibbleAt(file, r.first + 20) != 0 || exponent > 11) return std::nullopt;  // negative, or too big
  for (int k = exponent; k < 11; ++k) {
    if (mantissa % 10 != 0) return std::nullopt;
    mantissa /= 10;
  }
  return mantissa;
}

std::string Hex(const std::string& file, TNibbleRange r) {
  std::string hex;
  for (std::size_t k = r.first; k < r.second; ++k) hex += "0123456789abcdef"[NibbleAt(file, k)];
  return hex;
}

// The items of the list at `pos`: name, then a list (a folder's) or a
// checksum and a type-and-size real.
bool ReadItems(const std::string& file, std::size_t pos, TFamily family, std::vector<TTreeItem>& out) {
  std::vector<TNibbleRange> parts;
  if (!ListItems(file, pos, family, parts)) return false;
  for (std::size_t i = 0; i < parts.size();) {
    const auto name = NameAt(file, parts[i]);
    if (!name || i + 1 >= parts.size()) return false;
    TTreeItem& item = out.emplace_back();
    item.name = EncodeEscapes(*name, TEscapeMode::kBackslash);
    if (PrologAt(file, parts[i + 1]) == kListProlog) {
      item.folder = true;
      item.typeIcon = kDirectoryIcon;
      if (!ReadItems(file, parts[i + 1].first, family, item.items)) return false;
      i += 2;
      continue;
    }
    const auto code = i + 2 < parts.size() ? WholeAt(file, parts[i + 2]) : std::nullopt;
    if (!code || *code / kTypeFactor == kFolderType) return false;
    item.check = Hex(file, parts[i + 1]);
    item.typeIcon = TypeIconOfNumber(static_cast<int>(*code / kTypeFactor));
    item.nibbles = *code % kTypeFactor;
    i += 3;
  }
  return true;
}

// The names after HOME in a PATH list.
bool PathIs(const std::string& file, std::size_t pos, TFamily family, const std::vector<std::string>& names) {
  std::vector<TNibbleRange> parts;
  if (!ListItems(file, pos, family, parts) || parts.size() != names.size() + 1) return false;
  for (std::size_t k = 0; k < names.size(); ++k) {
    const auto name = NameAt(file, parts[k + 1]);
    if (!name || EncodeEscapes(*name, TEscapeMode::kBackslash) != names[k]) return false;
  }
  return true;
}

}  // namespace

int TypeIconOfNumber(int number) {
  // The calculator's type numbers and the prologs of their objects.
  static const std::pair<int, std::uint32_t> prologs[] = {
      {0, 0x02933},  {1, 0x02977},  {2, 0x02A2C},  {3, 0x029E8},  {4, 0x029E8},  {5, 0x02A74},  {6, 0x02E48},
      {7, 0x02E6D},  {8, 0x02D9D},  {9, 0x02AB8},  {10, 0x02A4E}, {11, 0x02B1E}, {12, 0x02AFC}, {13, 0x02ADA},
      {14, 0x02E92}, {15, 0x02A96}, {16, 0x02B40}, {17, 0x02B62}, {20, 0x02911}, {21, 0x02955}, {22, 0x0299D},
      {23, 0x02A0A}, {24, 0x029BF}, {25, 0x02DCC}, {26, 0x02B88}, {28, 0x02614}, {29, 0x02686}, {30, 0x02BCC}};
  for (const auto& [n, prolog] : prologs)
    if (n == number) return TypeIcon(*FindTypeByProlog(prolog, TFamily::k73));
  return kUnknownTypeIcon;
}

std::string TreeCommand(const std::string& purges, const TTreeRequest& request) {
  const std::string scratch = std::string("'") + kTreeScratch + "'";
  // Run on each name of a folder; it calls itself (through the scratch
  // variable, found from any folder below HOME) for a folder. A folder's own
  // checksum is never asked for: it would cover everything below it again.
  const std::string walk =
      "\\<< VARS 1. \\<< DUP VTYPE IF DUP 15. == THEN DROP DUP EVAL " + std::string(kTreeScratch) +
      " UPDIR ELSE 10000000. * OVER RCL BYTES 2. * ROT + END \\>> DOSUBS \\>> ";
  // Each folder of the path is entered only when it is one, so that nothing
  // else of that name is run.
  std::string enter =
      "PATH " + std::string(kTreeScratch) + " MEM " + std::to_string(request.token) + ". 4. \\->LIST";
  for (auto n = request.folderNames.rbegin(); n != request.folderNames.rend(); ++n)
    enter = "IF '" + *n + "' VTYPE 15. == THEN " + *n + " " + enter + " ELSE { } END";
  return purges + "HOME " + walk + scratch + " STO IFERR " + enter + " THEN 0. END HOME " + scratch + " STO";
}

TTreeAnswer ParseTree(const std::string& file, const TTreeRequest& request, std::vector<TTreeItem>& items,
                      long long& freeBytes) {
  items.clear();
  if (file.size() < kObjectHeaderSize) return TTreeAnswer::kNotATree;
  const TFamily family = HeaderFamily(file);
  std::size_t pos = kObjectStartNibble;
  std::vector<TNibbleRange> outer;
  if (!ListItems(file, pos, family, outer)) return TTreeAnswer::kNotATree;
  if (outer.empty()) return TTreeAnswer::kNoFolder;
  if (outer.size() != 4 || PrologAt(file, outer[1]) != kListProlog || WholeAt(file, outer[3]) != request.token)
    return TTreeAnswer::kNotATree;
  // A name found by evaluating it from a folder that lacks it leads elsewhere.
  if (PrologAt(file, outer[0]) != kListProlog || !PathIs(file, outer[0].first, family, request.folderNames))
    return TTreeAnswer::kNoFolder;
  if (!ReadItems(file, outer[1].first, family, items)) return items.clear(), TTreeAnswer::kNotATree;
  freeBytes = WholeAt(file, outer[2]).value_or(-1);  // not known: the smallest batches
  return TTreeAnswer::kTree;
}

}  // namespace bridgit::mirror

#include "mirror/batch.h"

#include <algorithm>

#include "calcdata/nibbles.h"
#include "calcdata/object_header.h"
#include "calcdata/object_types.h"
#include "calcdata/object_walk.h"

namespace bridgit::mirror {

namespace {

std::uint32_t StringProlog() { return ObjectTypeTable[kStringIcon - kTypeIconBase].code; }

// The characters of the string object at [from, to), or false.
bool StringAt(const std::string& file, TNibbleRange range, std::string& chars) {
  const auto [from, to] = range;
  if (to - from < 10 || NibbleField(file, from, 5) != StringProlog()) return false;
  chars.clear();
  for (std::size_t k = from + 10; k + 2 <= to; k += 2) chars += static_cast<char>(NibbleField(file, k, 2));
  return true;
}

}  // namespace

TBatchLimits BatchLimits(long long freeBytes, bool text) {
  // A binary batch needs its bytes twice (the list made, then stored); a text
  // batch its texts twice, and a program's text can be three times its size.
  const long long share = freeBytes < 0 ? kBatchFloorBytes : freeBytes / (text ? 8 : 3);
  const long long bytes = std::clamp(share, kBatchFloorBytes, kBatchCeilingBytes);
  return {.maxBytes = bytes, .maxObjectBytes = bytes / 2};
}

std::string BatchCommand(const std::string& purges, const std::string& folderPath, const std::vector<std::string>& names,
                         bool text) {
  std::string list = "{";
  for (const std::string& name : names) list += " '" + name + "'";
  list += " }";
  const std::string scratch = "'" + std::string(kBatchScratch) + "'";
  const std::string enter = purges + folderPath + " ";
  // An error on the calculator (an object gone since the listing, too little
  // memory) stores an empty list, which the split refuses: the objects are
  // then fetched one by one.
  const std::string store = " HOME " + scratch + " STO THEN HOME { } " + scratch + " STO END";
  if (!text) return enter + "IFERR " + list + " 1 \\<< RCL \\>> DOSUBS" + store;
  // Each text but a string's (which is its characters, and would run if
  // compiled) is compiled back and checked against its object's checksum; a
  // text that does not give the object again (a list holding a graphic) comes
  // back empty, and the object is fetched as an object file. -55 CF: a failed
  // compile leaves its text on the stack, as the error branch expects.
  const std::string exact =
      " 1 \\<< RCL IF DUP TYPE 2. == THEN \\->STR ELSE DUP BYTES DROP SWAP \\->STR DUP "
      "IFERR STR\\-> BYTES DROP THEN DROP \"\" END IF ROT == NOT THEN DROP \"\" END END \\>> DOSUBS";
  return "RCLF 64 STWS STD -55 CF " + enter + "IFERR -17 FS? -18 FS? -51 FS? IOPAR 6 GET 4 \\->LIST \\->STR " + list +
         exact + " 2 \\->LIST" + store + " STOF";
}

bool SplitBatch(const std::string& file, std::size_t count, bool text, std::vector<std::string>& out) {
  out.clear();
  if (file.size() < kObjectHeaderSize) return false;
  const std::string header = file.substr(0, kObjectHeaderSize);
  const TFamily family = HeaderFamily(file);
  std::size_t pos = kObjectStartNibble;
  std::vector<TNibbleRange> outer;
  if (!ListItems(file, pos, family, outer)) return false;
  if (!text) {
    if (outer.size() != count) return false;
    // An object of a type the table lacks is walked as a pointer, so the cut
    // after it could not be trusted.
    for (const auto& item : outer)
      if (!FindTypeByProlog(NibbleField(file, item.first, 5), family)) return false;
    const std::string nibbles = UnpackNibbles(file);
    for (const auto& [from, to] : outer) out.push_back(header + PackNibbles(std::string_view(nibbles).substr(from, to - from)));
    return true;
  }
  // { "{ flags }" { "text" ... } }
  std::string flags;
  std::vector<TNibbleRange> inner;
  std::size_t at = outer.size() == 2 ? outer[1].first : 0;
  if (outer.size() != 2 || !StringAt(file, outer[0], flags) || !ListItems(file, at, family, inner) || inner.size() != count)
    return false;
  for (const auto& range : inner) {
    std::string body;
    if (!StringAt(file, range, body)) return out.clear(), false;
    if (body.empty()) {
      out.emplace_back();  // its text does not compile back to it
      continue;
    }
    TNibbleWriter w;
    w.Put5(StringProlog());
    w.Put5(static_cast<std::uint32_t>(5 + 2 * (flags.size() + body.size())));
    w.PutBytes(flags + body);
    out.push_back(header + w.Packed());
  }
  return true;
}

}  // namespace bridgit::mirror

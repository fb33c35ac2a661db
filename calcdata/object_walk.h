// Walking an object's structure to find its exact length, so that the padding a
// block transfer leaves after it can be cut off.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "calcdata/object_types.h"

namespace bridgit {

// A walk that takes longer than this fails: malformed data must not loop for ever.
inline constexpr TTickMs kWalkTimeLimitMs = 3000;

enum class TWalkError {
  kNone,
  kTimeOut,  // the walk took longer than kWalkTimeLimitMs
  kPastEnd,  // the object runs past the end of the bytes
};

// The internal text of a failed walk ("Decomp TimeOut" for the time limit).
std::string_view WalkErrorText(TWalkError error);

// Advances `pos` (a nibble position in `bytes`, header included) over one
// object of the family. On failure `pos` is left unchanged. The walk never reads
// past the end of the bytes.
TWalkError SkipObject(std::string_view bytes, std::size_t& pos, TFamily family, TTickMs start,
                      TTickSource now = TickCount);

// A nibble range [first, second) of a byte string.
using TNibbleRange = std::pair<std::size_t, std::size_t>;

// The objects of the list whose prolog is at nibble `pos`, as nibble ranges;
// `pos` is left after the list's end marker. False, `pos` unchanged, when no
// list starts there or an object in it cannot be walked.
bool ListItems(std::string_view bytes, std::size_t& pos, TFamily family, std::vector<TNibbleRange>& items,
               TTickSource now = TickCount);

// What a walk can tell of the object in a binary object file.
enum class TObjectExtent {
  kExact,        // its own prolog is a type of the family's table and the walk ended inside the bytes
  kUnknownType,  // its own prolog is in no row of the family's table: its length cannot be known
  kTooShort,     // the bytes end before its known structure does (or before its prolog)
  kUndecided,    // the walk took too long
};

struct TObjectMeasure {
  TObjectExtent extent = TObjectExtent::kUndecided;
  std::size_t nibbles = 0;  // from its first nibble, when exact
};

// Measures the object of a binary object file with the family's table. Inside
// the object a prolog of no row still counts as a 5-nibble pointer; only the
// object's own type must be known for its length to be.
TObjectMeasure MeasureObject(std::string_view bytes, TFamily family, TTickSource now = TickCount);

// Cuts a binary object file to its header and `nibbles` of object; when the
// object ends in the low nibble of its last byte, that byte's high nibble is
// cleared. Returns whether it does.
bool CutToObject(std::string& bytes, std::size_t nibbles);

struct TTrimResult {
  bool success = false;
  bool odd = false;  // the object ends in the low nibble of its last byte
};

// Cuts a binary object file to its header plus the exact object length. When
// that length is not known (the walk fails, or the object's own type is in no
// row of the table) the bytes stay as they are, padding and all.
TTrimResult TrimObject(std::string& bytes, TTickSource now = TickCount);

// The object's exact length in nibbles from its first nibble, when it is known.
bool ObjectNibbleLength(std::string_view bytes, std::size_t& nibbles, TTickSource now = TickCount);

}  // namespace bridgit

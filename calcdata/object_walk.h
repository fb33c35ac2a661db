// Walking an object's structure to find its exact length, so that the padding a
// block transfer leaves after it can be cut off.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

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

struct TTrimResult {
  bool success = false;
  bool odd = false;  // the object ends in the low nibble of its last byte
};

// Cuts a binary object file to its header plus the exact object length. When
// the walk fails the bytes stay as they are, padding and all.
TTrimResult TrimObject(std::string& bytes, TTickSource now = TickCount);

// The object's exact length in nibbles from its first nibble, when the walk succeeds.
bool ObjectNibbleLength(std::string_view bytes, std::size_t& nibbles, TTickSource now = TickCount);

}  // namespace bridgit

#include "calcdata/object_walk.h"

#include <cstdint>

#include "calcdata/nibbles.h"
#include "calcdata/object_header.h"

namespace bridgit {

std::string_view WalkErrorText(TWalkError error) {
  switch (error) {
    case TWalkError::kNone: return "";
    case TWalkError::kTimeOut: return "Decomp TimeOut";
    case TWalkError::kPastEnd: return "Object runs past the end of the data";
  }
  return "";
}

namespace {

// The clock is read every this many steps: often enough for the time limit,
// rarely enough not to slow the walk over large objects.
constexpr std::uint64_t kClockStride = 32;

class TWalker {
 public:
  TWalker(std::string_view bytes) : bytes_(bytes), total_(2 * bytes.size()) {}

  // Reads a field of `count` nibbles at k; false when it would pass the end.
  bool Field(std::size_t k, int count, std::uint32_t& value) const {
    if (k > total_ || total_ - k < static_cast<std::size_t>(count)) return false;
    value = NibbleField(bytes_, k, count);
    return true;
  }
  std::size_t total() const { return total_; }

 private:
  std::string_view bytes_;
  std::size_t total_;
};

}  // namespace

// Iterative rather than recursive, so that deeply nested composites in
// malformed data cannot exhaust the stack: only composites need to remember
// anything (how many are open); a tagged object or a directory ends where the
// one object inside it ends, so the walk simply goes on with that object.
TWalkError SkipObject(std::string_view bytes, std::size_t& pos, TFamily family, TTickMs start,
                      TTickSource now) {
  const TWalker w(bytes);
  std::size_t p = pos;
  std::size_t openComposites = 0;
  std::uint32_t v = 0;

  for (std::uint64_t step = 0;; ++step) {
    if (step % kClockStride == 0 && now() - start > kWalkTimeLimitMs) return TWalkError::kTimeOut;

    std::uint32_t prolog = 0;
    if (!w.Field(p, 5, prolog)) return TWalkError::kPastEnd;
    if (openComposites > 0 && prolog == kSemiProlog) {
      p += 5;
      if (--openComposites == 0) break;
      continue;
    }

    const auto row = FindTypeByProlog(prolog, family);
    if (!row) {
      p += 5;  // the address of a built-in object: a 5-nibble pointer
    } else {
      const TObjectType& type = ObjectTypeTable[static_cast<std::size_t>(*row)];
      switch (type.rule) {
        case TSizeRule::kFixed:
          p += static_cast<std::size_t>(type.fixedSize);
          break;
        case TSizeRule::kLengthPrefix:
          if (!w.Field(p + 5, 5, v)) return TWalkError::kPastEnd;
          p += 5 + v;
          break;
        case TSizeRule::kComposite:
          p += 5;
          ++openComposites;
          continue;
        case TSizeRule::kName:
          if (!w.Field(p + 5, 2, v)) return TWalkError::kPastEnd;
          p += 7 + 2 * static_cast<std::size_t>(v);
          break;
        case TSizeRule::kTagged:
          if (!w.Field(p + 5, 2, v)) return TWalkError::kPastEnd;
          p += 7 + 2 * static_cast<std::size_t>(v);
          continue;  // the tagged object ends with the object that follows
        case TSizeRule::kDirectory: {
          if (!w.Field(p + 8, 5, v)) return TWalkError::kPastEnd;
          if (v == 0) {  // an empty directory: prolog, 3 nibbles, a zero offset
            p += 13;
            break;
          }
          const std::size_t last = p + 8 + v;  // the last variable's name
          if (!w.Field(last, 2, v)) return TWalkError::kPastEnd;
          p = last + 2 * static_cast<std::size_t>(v) + 4;
          continue;  // the directory ends with its last variable's object
        }
        case TSizeRule::kInfPReal:
        case TSizeRule::kInfPComplex: {
          const int fields = type.rule == TSizeRule::kInfPReal ? 2 : 4;
          p += 5;
          for (int f = 0; f < fields; ++f) {
            if (!w.Field(p, 5, v)) return TWalkError::kPastEnd;
            p += v;
          }
          break;
        }
      }
    }
    if (p > w.total()) return TWalkError::kPastEnd;
    if (openComposites == 0) break;
  }
  pos = p;
  return TWalkError::kNone;
}

bool ListItems(std::string_view bytes, std::size_t& pos, TFamily family, std::vector<TNibbleRange>& items,
               TTickSource now) {
  const std::size_t end = 2 * bytes.size();
  const auto prolog = [&](std::size_t at) { return at + 5 <= end ? NibbleField(bytes, at, 5) : 0u; };
  if (prolog(pos) != kListProlog) return false;
  std::size_t at = pos + 5;
  const TTickMs start = now();
  while (at + 5 <= end && prolog(at) != kSemiProlog) {
    const std::size_t from = at;
    if (SkipObject(bytes, at, family, start, now) != TWalkError::kNone) return false;
    items.emplace_back(from, at);
  }
  if (prolog(at) != kSemiProlog) return false;
  pos = at + 5;
  return true;
}

TObjectMeasure MeasureObject(std::string_view bytes, TFamily family, TTickSource now) {
  const TWalker w(bytes);
  std::uint32_t prolog = 0;
  if (!w.Field(kObjectStartNibble, 5, prolog)) return {TObjectExtent::kTooShort, 0};
  // A prolog of no row is a pointer only inside an object; an object of its own
  // with such a prolog is a type the table lacks, whose end the walk cannot find.
  if (!FindTypeByProlog(prolog, family)) return {TObjectExtent::kUnknownType, 0};
  std::size_t pos = kObjectStartNibble;
  switch (SkipObject(bytes, pos, family, now(), now)) {
    case TWalkError::kNone: return {TObjectExtent::kExact, pos - kObjectStartNibble};
    case TWalkError::kPastEnd: return {TObjectExtent::kTooShort, 0};
    case TWalkError::kTimeOut: break;
  }
  return {TObjectExtent::kUndecided, 0};
}

bool ObjectNibbleLength(std::string_view bytes, std::size_t& nibbles, TTickSource now) {
  const TObjectMeasure m = MeasureObject(bytes, HeaderFamily(bytes), now);
  if (m.extent != TObjectExtent::kExact) return false;
  nibbles = m.nibbles;
  return true;
}

TTrimResult TrimObject(std::string& bytes, TTickSource now) {
  std::size_t length = 0;
  if (!ObjectNibbleLength(bytes, length, now)) return {};
  return {true, CutToObject(bytes, length)};
}

bool CutToObject(std::string& bytes, std::size_t nibbles) {
  const std::size_t end = kObjectStartNibble + nibbles;
  bytes.resize((end + 1) / 2);
  const bool odd = end % 2 == 1;
  if (odd) bytes.back() = static_cast<char>(static_cast<unsigned char>(bytes.back()) & 0x0F);
  return odd;
}

}  // namespace bridgit

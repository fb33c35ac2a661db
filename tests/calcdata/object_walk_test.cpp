#include <gtest/gtest.h>

#include "calcdata/object_walk.h"
#include "support/object_builder.h"

namespace bridgit {
namespace {

using test::ObjectFile;
using test::Prolog;
using test::PutLengthPrefixed;
using test::PutName;
using test::PutReal;

// A directory with two variables, laid out as the calculator keeps it: each
// entry is a link field, the name (count, characters, count) and the object; the
// offset after the prolog points at the last entry's name.
void PutDirectory(TNibbleWriter& w) {
  w.Put5(Prolog("Directory"));
  w.PutField(0, 3);
  TNibbleWriter body;  // everything after the offset field
  body.Put5(0);
  body.Put2(1), body.PutBytes("A"), body.Put2(1);
  PutReal(body);
  body.Put5(0);
  const std::size_t lastName = body.size();
  body.Put2(2), body.PutBytes("BC"), body.Put2(2);
  PutLengthPrefixed(body, Prolog("String"), 6);
  // The offset counts from its own first nibble (prolog + 8).
  w.Put5(static_cast<std::uint32_t>(5 + lastName));
  w.PutNibbles(body.nibbles());
}

// One sample object of each type of the table, written by its size rule.
void PutSample(TNibbleWriter& w, const TObjectType& t) {
  switch (t.rule) {
    case TSizeRule::kFixed:
      w.Put5(t.code);
      for (int i = 5; i < t.fixedSize; ++i) w.Put(static_cast<unsigned>(i));
      break;
    case TSizeRule::kLengthPrefix:
      PutLengthPrefixed(w, t.code, 13);
      break;
    case TSizeRule::kComposite:  // one Real: an odd length, so that a cut can split the closing prolog
      w.Put5(t.code);
      PutReal(w, 1);
      w.Put5(kSemiProlog);
      break;
    case TSizeRule::kName:
      PutName(w, t.code, "NAME");
      break;
    case TSizeRule::kTagged:
      PutName(w, t.code, "TAG");
      PutLengthPrefixed(w, Prolog("String"), 4);
      break;
    case TSizeRule::kDirectory:
      PutDirectory(w);
      break;
    case TSizeRule::kInfPReal:
    case TSizeRule::kInfPComplex:
      w.Put5(t.code);
      for (int f = 0; f < (t.rule == TSizeRule::kInfPReal ? 2 : 4); ++f) {
        w.Put5(static_cast<std::uint32_t>(5 + 3 + f));
        for (int i = 0; i < 3 + f; ++i) w.Put(9);
      }
      break;
  }
}

TEST(TrimObject, EveryTypeOfTheTableIsCutToItsExactLength) {
  for (const TObjectType& t : ObjectTypeTable) {
    TNibbleWriter w;
    PutSample(w, t);
    const std::size_t nibbles = w.size();
    for (std::size_t padding : {0u, 1u, 100u}) {
      std::string file = ObjectFile(w, kFamily73, padding);
      if (nibbles % 2 == 1) file[8 + nibbles / 2] |= '\xF0';  // what follows an odd end is not the object's
      const TTrimResult r = TrimObject(file);
      SCOPED_TRACE(std::string(t.name) + " padding " + std::to_string(padding));
      ASSERT_TRUE(r.success);
      EXPECT_EQ(file.size(), 8 + (nibbles + 1) / 2);
      EXPECT_EQ(r.odd, nibbles % 2 == 1);
      EXPECT_EQ(file, ObjectFile(w, kFamily73));  // high nibble of an odd end cleared
    }
  }
}

TEST(TrimObject, NewerTypesAreUnknownPointersInThe71Family) {
  // An "Integer" prolog inside a list: a 5-nibble pointer for the "71" family,
  // a length-prefixed object for the "73" family.
  TNibbleWriter w;
  w.Put5(Prolog("List"));
  w.Put5(Prolog("Integer"));
  w.Put5(kSemiProlog);  // read as the Integer's length field by the "73" family
  w.Put5(kSemiProlog);
  std::size_t n = 0;
  ASSERT_TRUE(ObjectNibbleLength(ObjectFile(w, kFamily71), n));
  EXPECT_EQ(n, 15u);  // List, pointer, Semi
  std::string as73 = ObjectFile(w, kFamily73);
  EXPECT_FALSE(TrimObject(as73).success);  // 0x0312B nibbles of Integer run off the end
}

void ExpectRefused(std::string file);

// A type that no row of the table holds, laid out with a length field the way
// the calculator's own extension types are.
constexpr std::uint32_t kUnknownProlog = 0x12345;

TEST(MeasureObject, AnObjectOfATypeTheTableLacksHasNoKnownLength) {
  TNibbleWriter w;
  PutLengthPrefixed(w, kUnknownProlog, 395);
  for (const auto family : {TFamily::k71, TFamily::k73}) {
    const std::string file = ObjectFile(w, family == TFamily::k73 ? kFamily73 : kFamily71, 45);
    EXPECT_EQ(MeasureObject(file, family).extent, TObjectExtent::kUnknownType);
    std::size_t n = 0;
    EXPECT_FALSE(ObjectNibbleLength(file, n));
    ExpectRefused(file);  // never cut to a 5-nibble pointer
  }
  // The same prolog inside a list is the address of a built-in object.
  TNibbleWriter list;
  list.Put5(Prolog("List"));
  list.Put5(kUnknownProlog);
  list.Put5(kSemiProlog);
  const TObjectMeasure m = MeasureObject(ObjectFile(list, kFamily73, 30), TFamily::k73);
  EXPECT_EQ(m.extent, TObjectExtent::kExact);
  EXPECT_EQ(m.nibbles, 15u);
  // A newer type is one the older family's table lacks.
  TNibbleWriter integer;
  PutLengthPrefixed(integer, Prolog("Integer"), 4);
  EXPECT_EQ(MeasureObject(ObjectFile(integer, kFamily71, 9), TFamily::k71).extent, TObjectExtent::kUnknownType);
  EXPECT_EQ(MeasureObject(ObjectFile(integer, kFamily71, 9), TFamily::k73).nibbles, 14u);
}

TEST(MeasureObject, OnlyAKnownStructureCutShortIsTooShort) {
  TNibbleWriter w;
  w.Put5(Prolog("String"));
  w.Put5(15);
  w.PutBytes("HELLO");
  const std::string whole = ObjectFile(w, kFamily73);
  EXPECT_EQ(MeasureObject(whole, TFamily::k73).extent, TObjectExtent::kExact);
  EXPECT_EQ(MeasureObject(whole, TFamily::k73).nibbles, 20u);
  EXPECT_EQ(MeasureObject(whole.substr(0, whole.size() - 1), TFamily::k73).extent, TObjectExtent::kTooShort);
  // Too short to hold any prolog.
  EXPECT_EQ(MeasureObject("ZQZQ73-C", TFamily::k73).extent, TObjectExtent::kTooShort);
  EXPECT_EQ(MeasureObject("ZQZQ73-C\x33\x29", TFamily::k73).extent, TObjectExtent::kTooShort);
  // However few bytes follow an unknown prolog, they prove nothing.
  TNibbleWriter bare;
  bare.Put5(kUnknownProlog);
  EXPECT_EQ(MeasureObject(ObjectFile(bare), TFamily::k73).extent, TObjectExtent::kUnknownType);
  // An empty directory is its prolog, 3 nibbles and a zero offset.
  TNibbleWriter empty;
  empty.Put5(Prolog("Directory"));
  empty.PutField(0, 3);
  empty.Put5(0);
  EXPECT_EQ(MeasureObject(ObjectFile(empty, kFamily73, 20), TFamily::k73).nibbles, 13u);
}

// Every malformed object fails cleanly and leaves the bytes as they were.
void ExpectRefused(std::string file) {
  const std::string before = file;
  const TTrimResult r = TrimObject(file);
  EXPECT_FALSE(r.success);
  EXPECT_EQ(file, before);
}

TEST(TrimObject, EveryTruncationOfEverySampleFails) {
  for (const TObjectType& t : ObjectTypeTable) {
    TNibbleWriter w;
    PutSample(w, t);
    const std::string whole = ObjectFile(w, kFamily73);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
      std::string part = whole.substr(0, cut);
      SCOPED_TRACE(std::string(t.name) + " cut at " + std::to_string(cut));
      ExpectRefused(part);
    }
  }
}

TEST(TrimObject, DeepNestingNeitherOverflowsNorLoops) {
  constexpr int kDepth = 200000;
  TNibbleWriter open;
  for (int i = 0; i < kDepth; ++i) open.Put5(Prolog("List"));
  ExpectRefused(ObjectFile(open));  // never closed

  TNibbleWriter closed = open;
  for (int i = 0; i < kDepth; ++i) closed.Put5(kSemiProlog);
  std::size_t n = 0;
  ASSERT_TRUE(ObjectNibbleLength(ObjectFile(closed, kFamily73, 9), n));
  EXPECT_EQ(n, closed.size());
}

// A clock that the walk reads: each reading is a second later than the last.
TTickMs g_fakeNow = 0;
TTickMs SlowClock() { return g_fakeNow += 1000; }
TTickMs FrozenClock() { return 0; }

TEST(TrimObject, AWalkLongerThanThreeSecondsFails) {
  TNibbleWriter w;
  w.Put5(Prolog("List"));
  for (int i = 0; i < 500; ++i) PutReal(w, static_cast<unsigned>(i));
  w.Put5(kSemiProlog);
  std::string file = ObjectFile(w, kFamily73, 10);

  std::size_t pos = kObjectStartNibble;
  g_fakeNow = 0;
  EXPECT_EQ(SkipObject(file, pos, TFamily::k73, 0, SlowClock), TWalkError::kTimeOut);
  EXPECT_EQ(pos, kObjectStartNibble);
  EXPECT_EQ(WalkErrorText(TWalkError::kTimeOut), "Decomp TimeOut");
  g_fakeNow = 0;
  std::string slow = file;
  EXPECT_FALSE(TrimObject(slow, SlowClock).success);
  EXPECT_EQ(slow, file);
  EXPECT_TRUE(TrimObject(file, FrozenClock).success);
  // A walk out of time decides nothing: it neither trusts nor refuses.
  g_fakeNow = 0;
  EXPECT_EQ(MeasureObject(file, TFamily::k73, SlowClock).extent, TObjectExtent::kUndecided);
}

}  // namespace
}  // namespace bridgit

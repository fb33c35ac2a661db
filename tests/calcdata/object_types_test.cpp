#include <gtest/gtest.h>

#include <set>

#include "calcdata/object_types.h"

namespace bridgit {
namespace {

TEST(ObjectTypeTable, LookupsByListingCodeAndByProlog) {
  std::set<std::uint32_t> codes;
  for (int row = 0; row < kObjectTypeCount; ++row) {
    const auto& t = ObjectTypeTable[static_cast<std::size_t>(row)];
    codes.insert(t.code);
    EXPECT_EQ(FindTypeByCode16(static_cast<std::uint16_t>(t.code & 0xFFFF)), row) << t.name;
    EXPECT_EQ(FindTypeByProlog(t.code, TFamily::k73), row) << t.name;
    EXPECT_EQ(FindTypeByProlog(t.code, TFamily::k71).has_value(), row < k71TypeCount) << t.name;
  }
  EXPECT_EQ(codes.size(), static_cast<std::size_t>(kObjectTypeCount));
  EXPECT_EQ(TypeIcon(25), kDirectoryIcon);
  EXPECT_EQ(TypeIcon(26), kAlgebraicIcon);
  EXPECT_EQ(TypeIcon(8), kStringIcon);
  EXPECT_FALSE(FindTypeByCode16(0x1234));
  EXPECT_FALSE(FindTypeByProlog(0x12A2C, TFamily::k73));
  EXPECT_FALSE(FindTypeByProlog(0, TFamily::k73));
  EXPECT_FALSE(FindTypeByProlog(0xFFFFF, TFamily::k73));
}

}  // namespace
}  // namespace bridgit

// Which pixel of the calculator's screen each bit of a capture is, in the
// page layout and in the header layout (which the legacy layout becomes).
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "picture/screen_picture.h"

namespace bridgit {
namespace {

using TPixels = std::set<std::pair<int, int>>;

TPixels DarkPixels(const TScreenPicture& p) {
  TPixels dark;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.Dark(x, y)) dark.insert({x, y});
  return dark;
}

// Lead byte 0x1B and 1080 bytes: 8 pages of 135 bytes.
std::string PageCapture(const std::vector<std::pair<std::size_t, unsigned char>>& bytes) {
  std::string data(1080, '\0');
  for (const auto& [at, value] : bytes) data[at] = static_cast<char>(value);
  return "\x1B" + data;
}

// Lead byte, five header bytes (H3 planes, H4 rows, H5 pixels a row), data.
std::string HeaderCapture(unsigned char planes, unsigned char rows, unsigned char width, const std::string& data) {
  return std::string("\x00\x00\x00", 3) + static_cast<char>(planes) + static_cast<char>(rows) + static_cast<char>(width) + data;
}

TEST(ScreenPixels, PageLayoutColumnsOfEightRowsTopRowInTheLowBit) {
  const TScreenPicture first = DecodeCapture(PageCapture({{1, 0x01}}));
  EXPECT_EQ(first.width, 131);
  EXPECT_EQ(first.height, 64);
  EXPECT_EQ(DarkPixels(first), (TPixels{{0, 0}}));

  // Byte 135 p + 1 + x holds column x of rows 8p to 8p + 7.
  const TScreenPicture known = DecodeCapture(PageCapture({{2, 0x81}, {135 * 2 + 1 + 5, 0x80}, {135 * 7 + 131, 0x10}}));
  EXPECT_EQ(DarkPixels(known), (TPixels{{1, 0}, {1, 7}, {5, 23}, {130, 60}}));

  // The first byte and the last three of every page are not shown.
  std::vector<std::pair<std::size_t, unsigned char>> hidden;
  for (std::size_t page = 0; page < 8; ++page)
    for (std::size_t at : {0, 132, 133, 134}) hidden.push_back({135 * page + at, 0xFF});
  EXPECT_TRUE(DarkPixels(DecodeCapture(PageCapture(hidden))).empty());
}

TEST(ScreenPixels, HeaderAndLegacyLayoutsRowsOfBytesLeftmostPixelInTheLowBit) {
  // 8 pixels wide, 64 rows: a first data byte of 0x01 is the top left pixel only.
  std::string narrow(64, '\0');
  narrow[0] = '\x01';
  const TScreenPicture n = DecodeCapture(HeaderCapture(1, 0x40, 0x08, narrow));
  EXPECT_EQ(n.width, 8);
  EXPECT_EQ(n.height, 64);
  EXPECT_EQ(DarkPixels(n), (TPixels{{0, 0}}));

  // 131 pixels wide: rows of 17 bytes; pixel (x, y) is bit x mod 8 of byte 17 y + x div 8.
  std::string wide(2 * 80 * 17, '\0');
  wide[0] = '\x80';             // (7, 0)
  wide[17 * 3 + 16] = '\x04';   // (130, 3)
  wide[17 * 79 + 1] = '\x01';   // (8, 79)
  wide[80 * 17 + 5] = '\xFF';   // the second plane: not shown
  const TScreenPicture w = DecodeCapture(HeaderCapture(2, 0x50, 0x83, wide));
  EXPECT_EQ(w.width, 131);
  EXPECT_EQ(w.height, 80);
  EXPECT_EQ(DarkPixels(w), (TPixels{{7, 0}, {130, 3}, {8, 79}}));

  // The legacy layout as rewritten: L, "G", the four bytes put in place of its
  // header (one plane of 64 rows of 131 pixels), then the image rows.
  std::string data(1088, '\0');
  data[0] = '\x02';             // (1, 0)
  data[17 * 63 + 16] = '\x01';  // (128, 63)
  const TScreenPicture p = DecodeCapture(std::string("\x00G\x00\x01\x40\x83", 6) + data);
  EXPECT_EQ(p.width, 131);
  EXPECT_EQ(p.height, 64);
  EXPECT_EQ(DarkPixels(p), (TPixels{{1, 0}, {128, 63}}));
}

}  // namespace
}  // namespace bridgit

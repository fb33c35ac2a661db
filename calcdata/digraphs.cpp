#include "calcdata/digraphs.h"

#include <string>

namespace bridgit {

const std::array<TDigraph, kDigraphCount> DigraphTable = {{
    {128, '<', ')', false}, {129, 'x', '-', true},  {130, '.', 'V', true},  {131, 'v', '/', false},
    {132, '.', 'S', true},  {133, 'G', 'S', true},  {134, '|', '>', false}, {135, 'p', 'i', true},
    {136, '.', 'd', true},  {137, '<', '=', false}, {138, '>', '=', false}, {139, '=', '/', false},
    {140, 'G', 'a', true},  {141, '-', '>', false}, {142, '<', '-', false}, {143, '|', 'v', false},
    {144, '|', '^', false}, {145, 'G', 'g', true},  {146, 'G', 'd', true},  {147, 'G', 'e', true},
    {148, 'G', 'n', true},  {149, 'G', 'h', true},  {150, 'G', 'l', true},  {151, 'G', 'r', true},
    {152, 'G', 's', true},  {153, 'G', 't', true},  {154, 'G', 'w', true},  {155, 'G', 'D', true},
    {156, 'P', 'I', true},  {157, 'G', 'W', true},  {158, '[', ']', true},  {159, 'o', 'o', true},
    {171, '<', '<', false}, {176, '^', 'o', true},  {181, 'G', 'm', true},  {187, '>', '>', false},
    {215, '.', 'x', true},  {216, '0', '/', false}, {223, 'G', 'b', true},  {247, ':', '-', false},
}};

namespace {

struct TDigraphIndex {
  std::array<std::uint8_t, 65536> codeOfPair{};  // first * 256 + second -> code, 0 for none
  std::array<std::int8_t, 256> rowOfCode{};       // code -> table row, -1 for none
  std::array<char, 256 * 3> decimal{};

  TDigraphIndex() {
    rowOfCode.fill(-1);
    for (int r = 0; r < kDigraphCount; ++r) {
      const TDigraph& d = DigraphTable[static_cast<std::size_t>(r)];
      codeOfPair[static_cast<unsigned char>(d.first) * 256u + static_cast<unsigned char>(d.second)] = d.code;
      rowOfCode[d.code] = static_cast<std::int8_t>(r);
    }
    for (int c = 0; c < 256; ++c) {
      decimal[static_cast<std::size_t>(3 * c)] = static_cast<char>('0' + c / 100);
      decimal[static_cast<std::size_t>(3 * c + 1)] = static_cast<char>('0' + c / 10 % 10);
      decimal[static_cast<std::size_t>(3 * c + 2)] = static_cast<char>('0' + c % 10);
    }
  }
};

const TDigraphIndex& Index() {
  static const TDigraphIndex index;
  return index;
}

}  // namespace

std::uint8_t DigraphCode(unsigned char first, unsigned char second) {
  return Index().codeOfPair[first * 256u + second];
}

const TDigraph* DigraphOf(unsigned char code) {
  const int row = Index().rowOfCode[code];
  return row < 0 ? nullptr : &DigraphTable[static_cast<std::size_t>(row)];
}

std::string_view DecimalText(unsigned char code) {
  return {Index().decimal.data() + 3 * code, 3};
}

}  // namespace bridgit

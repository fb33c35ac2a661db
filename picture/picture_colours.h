// The colours of a saved picture, black on white, as the capture window shows it.
#pragma once

namespace bridgit {

inline constexpr unsigned char kLight[3] = {0xFF, 0xFF, 0xFF};  // R, G, B
inline constexpr unsigned char kDark[3] = {0x00, 0x00, 0x00};

}  // namespace bridgit

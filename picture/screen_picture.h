// The calculator's screen as pixels, from the capture string of a screen
// transfer, and as BMP, JPEG and PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bridgit {

struct TScreenPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> dark;  // width x height, row by row; 1 = dark pixel
  bool Dark(int x, int y) const { return dark[static_cast<std::size_t>(y * width + x)] != 0; }
};

// Page layout (lead byte 0x1B): 131 x 64 in 8 pages of 135 bytes. Header layout
// (and legacy, rewritten as one): width H5, height H4, the first plane shown.
// Pixels the capture does not hold are light; it is never read past its end.
TScreenPicture DecodeCapture(const std::string& capture);

// The picture inside a black frame `frame` pixels wide and a light margin
// `space` pixels wide between frame and picture.
TScreenPicture FramePicture(const TScreenPicture& picture, int frame, int space);

// A 24-bit BMP of the picture, each pixel `zoom` x `zoom`.
std::string EncodeBmp(const TScreenPicture& picture, int zoom = 1);
// A JPEG with the encoder's default settings (three colour components, as
// from the window's bitmap); empty when encoding failed.
std::string EncodeJpeg(const TScreenPicture& picture, int zoom = 1, int quality = 90);

// A grayscale PNG; empty when encoding failed.
std::string EncodePng(const TScreenPicture& picture, int zoom = 1);

// The kind of file a name asks for, by its extension in any letter case.
enum class TPictureKind { kNone, kBmp, kJpeg, kPng };
TPictureKind PictureKindOf(const std::string& name);
// Why a capture cannot be saved under `name` ("" when it can): checked before
// the capture starts, so that no picture is lost to a wrong name.
std::string PictureNameProblem(const std::string& name);
// The picture as the file `name` asks for; empty when it cannot be encoded.
std::string EncodePicture(const TScreenPicture& picture, const std::string& name, int zoom = 1, int jpegQuality = 90);

}  // namespace bridgit

#include "picture/screen_picture.h"

#include <algorithm>
#include <cctype>

#include "picture/picture_colours.h"

namespace bridgit {

namespace {

constexpr unsigned char kPageLead = 0x1B;
constexpr int kPageWidth = 131, kPageHeight = 64, kPageBytes = 135;
// The colours of the picture, black on white, as the capture window shows it.

unsigned Byte(const std::string& s, std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u; }

void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, unsigned v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

}  // namespace

TScreenPicture DecodeCapture(const std::string& capture) {
  TScreenPicture p;
  if (capture.empty()) return p;
  if (Byte(capture, 0) == kPageLead) {
    p.width = kPageWidth;
    p.height = kPageHeight;
    p.dark.assign(static_cast<std::size_t>(p.width * p.height), 0);
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x)
        p.dark[static_cast<std::size_t>(y * p.width + x)] =
            (Byte(capture, 1 + static_cast<std::size_t>(kPageBytes * (y / 8) + 1 + x)) >> (y % 8)) & 1u;
    return p;
  }
  const unsigned planes = Byte(capture, 3);
  p.height = static_cast<int>(Byte(capture, 4));
  p.width = static_cast<int>(Byte(capture, 5));
  p.dark.assign(static_cast<std::size_t>(p.width * p.height), 0);
  if (planes == 0) return p;  // nothing shown: all light
  const int stride = (p.width + 7) / 8;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      p.dark[static_cast<std::size_t>(y * p.width + x)] =
          (Byte(capture, 6 + static_cast<std::size_t>(y * stride + x / 8)) >> (x % 8)) & 1u;
  return p;
}

TScreenPicture FramePicture(const TScreenPicture& picture, int frame, int space) {
  TScreenPicture framed;
  const int edge = frame + space;
  framed.width = picture.width + 2 * edge;
  framed.height = picture.height + 2 * edge;
  framed.dark.assign(static_cast<std::size_t>(framed.width) * static_cast<std::size_t>(framed.height), 0);
  for (int y = 0; y < framed.height; ++y)
    for (int x = 0; x < framed.width; ++x) {
      const bool inFrame = x < frame || y < frame || x >= framed.width - frame || y >= framed.height - frame;
      const int px = x - edge, py = y - edge;
      const bool inPicture = px >= 0 && py >= 0 && px < picture.width && py < picture.height;
      framed.dark[static_cast<std::size_t>(y * framed.width + x)] = inFrame || (inPicture && picture.Dark(px, py));
    }
  return framed;
}

std::string EncodeBmp(const TScreenPicture& picture, int zoom) {
  const int w = picture.width * zoom, h = picture.height * zoom;
  const int rowBytes = (w * 3 + 3) / 4 * 4;
  std::string bmp = "BM";
  Put32(bmp, static_cast<unsigned>(54 + rowBytes * h));
  Put32(bmp, 0);
  Put32(bmp, 54);
  Put32(bmp, 40);
  Put32(bmp, static_cast<unsigned>(w));
  Put32(bmp, static_cast<unsigned>(h));
  Put16(bmp, 1);
  Put16(bmp, 24);
  Put32(bmp, 0);
  Put32(bmp, static_cast<unsigned>(rowBytes * h));
  Put32(bmp, 2835), Put32(bmp, 2835), Put32(bmp, 0), Put32(bmp, 0);
  for (int y = h - 1; y >= 0; --y) {  // bottom row first
    std::string row;
    for (int x = 0; x < w; ++x) {
      const unsigned char* c = picture.Dark(x / zoom, y / zoom) ? kDark : kLight;
      row += static_cast<char>(c[2]), row += static_cast<char>(c[1]), row += static_cast<char>(c[0]);
    }
    row.resize(static_cast<std::size_t>(rowBytes), '\0');
    bmp += row;
  }
  return bmp;
}

TPictureKind PictureKindOf(const std::string& name) {
  const std::size_t dot = name.find_last_of("./");
  if (dot == std::string::npos || name[dot] != '.') return TPictureKind::kNone;
  std::string ext = name.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == "bmp") return TPictureKind::kBmp;
  if (ext == "jpg" || ext == "jpeg") return TPictureKind::kJpeg;
  if (ext == "png") return TPictureKind::kPng;
  return TPictureKind::kNone;
}

std::string PictureNameProblem(const std::string& name) {
  if (PictureKindOf(name) != TPictureKind::kNone) return "";
  const std::size_t dot = name.find_last_of("./");
  const std::string ext = dot != std::string::npos && name[dot] == '.' ? name.substr(dot) : "";
  return "A screen capture is saved as .bmp, .jpg or .png, not " + (ext.empty() ? std::string("without an extension") : "as " + ext) + ".";
}

std::string EncodePicture(const TScreenPicture& picture, const std::string& name, int zoom, int jpegQuality) {
  switch (PictureKindOf(name)) {
    case TPictureKind::kBmp: return EncodeBmp(picture, zoom);
    case TPictureKind::kJpeg: return EncodeJpeg(picture, zoom, jpegQuality);
    case TPictureKind::kPng: return EncodePng(picture, zoom);
    case TPictureKind::kNone: break;
  }
  return {};
}

}  // namespace bridgit

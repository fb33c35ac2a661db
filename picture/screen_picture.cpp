#include "picture/screen_picture.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cctype>

namespace bridgit {

namespace {

constexpr unsigned char kPageLead = 0x1B;
constexpr int kPageWidth = 131, kPageHeight = 64, kPageBytes = 135;
// The colours of the picture, black on white, as the capture window shows it.
constexpr unsigned char kLight[3] = {0xFF, 0xFF, 0xFF};  // R, G, B
constexpr unsigned char kDark[3] = {0x00, 0x00, 0x00};

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

std::string EncodeJpeg(const TScreenPicture& picture, int zoom, int quality) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = static_cast<JDIMENSION>(picture.width * zoom);
  cinfo.image_height = static_cast<JDIMENSION>(picture.height * zoom);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(cinfo.image_width * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline) / zoom;
    for (JDIMENSION x = 0; x < cinfo.image_width; ++x) {
      const unsigned char* c = picture.Dark(static_cast<int>(x) / zoom, y) ? kDark : kLight;
      row[3 * x] = c[0], row[3 * x + 1] = c[1], row[3 * x + 2] = c[2];
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string jpeg(reinterpret_cast<const char*>(out), outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return jpeg;
}

namespace {

void AppendPng(png_structp png, png_bytep data, png_size_t n) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}

}  // namespace

std::string EncodePng(const TScreenPicture& picture, int zoom) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return {};
  }
  std::string out;
  const int w = picture.width * zoom, h = picture.height * zoom;
  std::vector<png_byte> row(static_cast<std::size_t>(w));
  // libpng reports its errors by a long jump back here.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendPng, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_GRAY,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) row[static_cast<std::size_t>(x)] = picture.Dark(x / zoom, y / zoom) ? kDark[0] : kLight[0];
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
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

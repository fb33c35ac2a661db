// JPEG and PNG from libjpeg-turbo and libpng (the Linux build).
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>

#include <vector>

#include "picture/picture_colours.h"
#include "picture/screen_picture.h"

namespace bridgit {

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

}  // namespace bridgit

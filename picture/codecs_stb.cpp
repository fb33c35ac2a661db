// JPEG and PNG from the header-only stb_image_write (the Windows build: no
// libjpeg or libpng is shipped for the cross compiler). The files differ in
// their bytes from those of libjpeg-turbo and libpng; the pixels are the same.
#include <string>
#include <vector>

#include "picture/picture_colours.h"
#include "picture/screen_picture.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
#pragma GCC diagnostic ignored "-Wcast-align"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wnull-dereference"
#pragma GCC diagnostic ignored "-Wshadow"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace bridgit {

namespace {

// One grey byte a pixel, row by row, each pixel `zoom` x `zoom`.
std::vector<unsigned char> GreyPixels(const TScreenPicture& picture, int zoom) {
  const int w = picture.width * zoom, h = picture.height * zoom;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
          picture.Dark(x / zoom, y / zoom) ? kDark[0] : kLight[0];
  return pixels;
}

void Append(void* context, void* data, int n) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(n));
}

}  // namespace

std::string EncodeJpeg(const TScreenPicture& picture, int zoom, int quality) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  const std::vector<unsigned char> pixels = GreyPixels(picture, zoom);
  std::string out;
  if (!stbi_write_jpg_to_func(Append, &out, picture.width * zoom, picture.height * zoom, 1, pixels.data(), quality)) return {};
  return out;
}

std::string EncodePng(const TScreenPicture& picture, int zoom) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  const std::vector<unsigned char> pixels = GreyPixels(picture, zoom);
  std::string out;
  const int w = picture.width * zoom;
  if (!stbi_write_png_to_func(Append, &out, w, picture.height * zoom, 1, pixels.data(), w)) return {};
  return out;
}

}  // namespace bridgit

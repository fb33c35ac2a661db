// Saved screen pictures as other programs read them: the format's header
// fields and the pixels, against literal values.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <functional>
#include <vector>

#include "picture/screen_picture.h"

namespace bridgit {
namespace {

using TGray = std::vector<unsigned char>;

TGray Png(const std::string& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
  image.format = PNG_FORMAT_GRAY;
  TGray gray(PNG_IMAGE_SIZE(image));
  png_image_finish_read(&image, nullptr, gray.data(), 0, nullptr);
  return gray;
}

TGray Jpeg(const std::string& file) {
  jpeg_decompress_struct c{};
  jpeg_error_mgr error{};
  c.err = jpeg_std_error(&error);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, reinterpret_cast<const unsigned char*>(file.data()), file.size());
  jpeg_read_header(&c, TRUE);
  c.out_color_space = JCS_GRAYSCALE;
  jpeg_start_decompress(&c);
  TGray gray(c.output_width * c.output_height);
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = gray.data() + c.output_scanline * c.output_width;
    jpeg_read_scanlines(&c, &row, 1);
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  return gray;
}

// 24 bits, blue green red, the bottom row first, rows padded with zero bytes
// to 4 bytes; a pixel that is not grey reads as 0x80.
std::function<TGray(const std::string&)> Bmp(int width, int height) {
  return [=](const std::string& file) {
    TGray gray;
    const int row = (3 * width + 3) / 4 * 4;
    for (int y = height - 1; y >= 0; --y)
      for (int x = 0; x < width; ++x) {
        const std::string bgr = file.substr(static_cast<std::size_t>(54 + y * row + 3 * x), 3);
        gray.push_back(bgr == std::string(3, bgr[0]) ? static_cast<unsigned char>(bgr[0]) : 0x80);
      }
    const std::size_t pad = static_cast<std::size_t>(row - 3 * width);
    for (int y = 0; y < height; ++y)  // padding that is not zero bytes adds a '?'
      if (file.substr(static_cast<std::size_t>(54 + y * row + 3 * width), pad) != std::string(pad, '\0')) gray.push_back(0x80);
    return gray;
  };
}

// Dark as X, light as ., anything else as ? (a lossy file: nearer of the two).
std::string Pixels(const TGray& gray, bool lossy) {
  std::string s;
  for (unsigned char g : gray) s += lossy ? (g < 128 ? 'X' : '.') : g == 0 ? 'X' : g == 255 ? '.' : '?';
  return s;
}

struct TCase {
  std::string name;
  int frame, space, zoom;
  std::string header;  // the file's first bytes
  std::function<TGray(const std::string&)> decode;
  bool lossy;
  std::string pixels;  // row by row
};

TEST(PictureFiles, HeaderAndPixelsByExtension) {
  // 3 x 2, dark at the top left and the bottom right.
  const TScreenPicture picture{3, 2, {1, 0, 0, 0, 0, 1}};
  const std::string zoomed = "XX....XX........XX....XX";
  const TCase cases[] = {
      {"s.bmp", 0, 0, 2,
       std::string("BM\x86\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x06\0\0\0\x04\0\0\0\x01\0\x18\0\0\0\0\0\x50\0\0\0\x13\x0B\0\0\x13\x0B\0\0\0\0\0\0\0\0\0\0", 54),
       Bmp(6, 4), false, zoomed},
      {"s.PNG", 0, 0, 2, std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x06\0\0\0\x04\x08\0\0\0\0", 29), Png, false, zoomed},
      {"s.Jpeg", 0, 0, 2, "\xFF\xD8\xFF", Jpeg, true, zoomed},
      {"f.png", 1, 1, 1, "\x89PNG", Png, false, "XXXXXXX" "X.....X" "X.X...X" "X...X.X" "X.....X" "XXXXXXX"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = EncodePicture(FramePicture(picture, c.frame, c.space), c.name, c.zoom);
    EXPECT_EQ(file.substr(0, c.header.size()), c.header);
    EXPECT_EQ(Pixels(c.decode(file), c.lossy), c.pixels);
  }
  // The JPEG's frame: 8-bit samples, 4 rows of 6, in colour (three components).
  const std::string jpeg = EncodePicture(picture, "s.jpg", 2);
  EXPECT_EQ(jpeg.substr(jpeg.find("\xFF\xC0") + 4, 6), std::string("\x08\0\x04\0\x06\x03", 6));
  EXPECT_EQ(EncodePicture(picture, "s.gif"), "");
  EXPECT_EQ(PictureNameProblem("shot"), "A screen capture is saved as .bmp, .jpg or .png, not without an extension.");
}

}  // namespace
}  // namespace bridgit

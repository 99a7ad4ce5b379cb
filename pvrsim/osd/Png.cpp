// PNG files of OSD images through libpng's simplified API.
#include <png.h>

#include <cstring>

#include "Osd.h"

namespace pvrsim::osd {

namespace {
void fail(std::string *error, const std::string &path, const char *what) {
  if (error) *error = path + ": " + what;
}
}  // namespace

bool writePng(const std::string &path, const Image &image, bool withAlpha, std::string *error) {
  if (image.width <= 0 || image.height <= 0) {
    fail(error, path, "empty image");
    return false;
  }
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  // BGRA is the memory order of a little-endian 0xAARRGGBB dword.
  std::vector<uint8_t> bytes;
  const void *data = image.argb.data();
  png.format = PNG_FORMAT_BGRA;
  if (!withAlpha) {
    png.format = PNG_FORMAT_BGR;
    bytes.reserve(image.argb.size() * 3);
    for (uint32_t p : image.argb) {
      bytes.push_back(uint8_t(p));
      bytes.push_back(uint8_t(p >> 8));
      bytes.push_back(uint8_t(p >> 16));
    }
    data = bytes.data();
  }
  if (!png_image_write_to_file(&png, path.c_str(), 0, data, 0, nullptr)) {
    fail(error, path, png.message[0] ? png.message : "cannot write the PNG");
    return false;
  }
  return true;
}

bool readPng(const std::string &path, Image &image, std::string *error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    fail(error, path, png.message);
    return false;
  }
  png.format = PNG_FORMAT_BGRA;
  Image read(int(png.width), int(png.height));
  if (!png_image_finish_read(&png, nullptr, read.argb.data(), 0, nullptr)) {
    fail(error, path, png.message);
    return false;
  }
  image = std::move(read);
  return true;
}

}  // namespace pvrsim::osd

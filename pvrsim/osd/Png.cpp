// Png.cpp - PNG files of OSD images through libpng's simplified API.
#include <png.h>

#include <cstring>

#include "Osd.h"

namespace pvrsim::osd {

namespace {
void fail(std::string *error, const std::string &path, const char *what) {
  if (error) *error = path + ": " + what;
}
}  // namespace

namespace {
// A png_image set up for the image, and the pixels in the layout it names:
// BGRA is the memory order of a little-endian 0xAARRGGBB dword; without
// alpha the bytes are repacked as BGR into rgb.
const void *preparePng(const Image &image, bool withAlpha, png_image &png, std::vector<uint8_t> &rgb) {
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = PNG_FORMAT_BGRA;
  if (withAlpha) return image.argb.data();
  png.format = PNG_FORMAT_BGR;
  rgb.resize(image.argb.size() * 3);
  uint8_t *out = rgb.data();
  for (uint32_t p : image.argb) {
    *out++ = uint8_t(p);
    *out++ = uint8_t(p >> 8);
    *out++ = uint8_t(p >> 16);
  }
  return rgb.data();
}
}  // namespace

bool writePng(const std::string &path, const Image &image, bool withAlpha, std::string *error) {
  if (image.width <= 0 || image.height <= 0) {
    fail(error, path, "empty image");
    return false;
  }
  png_image png;
  std::vector<uint8_t> rgb;
  const void *data = preparePng(image, withAlpha, png, rgb);
  if (!png_image_write_to_file(&png, path.c_str(), 0, data, 0, nullptr)) {
    fail(error, path, png.message[0] ? png.message : "cannot write the PNG");
    return false;
  }
  return true;
}

bool encodePng(const Image &image, bool withAlpha, std::vector<uint8_t> &bytes, std::string *error) {
  if (image.width <= 0 || image.height <= 0) {
    fail(error, "PNG", "empty image");
    return false;
  }
  png_image png;
  std::vector<uint8_t> rgb;
  const void *data = preparePng(image, withAlpha, png, rgb);
  png.flags |= PNG_IMAGE_FLAG_FAST;
  // One pass into a buffer of the largest size the PNG can have.
  bytes.resize(PNG_IMAGE_PNG_SIZE_MAX(png));
  png_alloc_size_t size = bytes.size();
  if (png_image_write_to_memory(&png, bytes.data(), &size, 0, data, 0, nullptr)) {
    bytes.resize(size);
    return true;
  }
  fail(error, "PNG", png.message[0] ? png.message : "cannot encode the PNG");
  return false;
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

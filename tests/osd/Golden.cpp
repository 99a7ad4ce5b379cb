// Golden.cpp - comparison of OSD screenshots with the golden PNGs below tests/osd/golden.
#include "Golden.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace osdtest {

namespace posd = pvrsim::osd;

namespace {
std::string ReferencePath(const std::string &folder, const std::string &name) {
  return std::string(SOURCE_DIR) + "/" + folder + "/" + name + ".png";
}
std::string OutputDir() { return std::string(BINARY_DIR) + "/tests/osd/golden-out"; }

bool UpdateRequested() {
  const char *update = std::getenv("UPDATE_GOLDEN");
  return update != nullptr && std::string(update) == "1";
}

posd::Image Difference(const posd::Image &expected, const posd::Image &actual) {
  posd::Image diff(actual.width, actual.height);
  for (int y = 0; y < actual.height; y++)
    for (int x = 0; x < actual.width; x++) {
      uint32_t a = actual.at(x, y);
      bool same = x < expected.width && y < expected.height && expected.at(x, y) == a;
      uint32_t grey = (((a >> 16) & 0xFF) + ((a >> 8) & 0xFF) + (a & 0xFF)) / 12;
      diff.at(x, y) = same ? 0xFF000000u | grey << 16 | grey << 8 | grey : 0xFFFF0000u;
    }
  return diff;
}

std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}
}  // namespace

posd::Image Crop(const posd::Image &image, int x, int y, int w, int h) {
  posd::Image part(w, h);
  for (int row = 0; row < h; row++)
    for (int col = 0; col < w; col++) part.at(col, row) = image.at(x + col, y + row);
  return part;
}

::testing::AssertionResult MatchesGolden(const std::string &name, const posd::Image &actual,
                                         const std::string &folder) {
  std::string reference = ReferencePath(folder, name), error;
  if (UpdateRequested()) {
    if (!posd::writePng(reference, actual, true, &error)) return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess() << "wrote " << reference;
  }
  posd::Image expected;
  if (!posd::readPng(reference, expected, &error))
    return ::testing::AssertionFailure() << "no reference image " << reference << " (" << error
                                         << "); run with UPDATE_GOLDEN=1 to write it, then look at it";
  int firstX = -1, firstY = -1;
  if (expected.width == actual.width && expected.height == actual.height) {
    for (size_t i = 0; i < actual.argb.size() && firstX < 0; i++)
      if (actual.argb[i] != expected.argb[i]) firstX = int(i % actual.width), firstY = int(i / actual.width);
    if (firstX < 0) return ::testing::AssertionSuccess();
  }
  std::filesystem::create_directories(OutputDir());
  std::string actualPath = OutputDir() + "/" + name + ".actual.png";
  std::string diffPath = OutputDir() + "/" + name + ".diff.png";
  posd::writePng(actualPath, actual, true);
  posd::writePng(diffPath, Difference(expected, actual), false);
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << name << " differs from " << reference << ": ";
  if (firstX < 0)
    failure << "size " << actual.width << " x " << actual.height << ", expected " << expected.width << " x "
            << expected.height;
  else
    failure << "first difference at (" << firstX << ", " << firstY << "): " << Hex(actual.at(firstX, firstY))
            << ", expected " << Hex(expected.at(firstX, firstY));
  return failure << "; actual image " << actualPath << ", difference " << diffPath;
}

}  // namespace osdtest

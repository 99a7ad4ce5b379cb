// Golden.h - pixel-for-pixel comparison of OSD images with the reference
// PNGs in tests/osd/golden/ (or another folder of the source tree).
//
// A missing reference fails.  With the environment variable UPDATE_GOLDEN=1
// the actual image is written as the new reference instead (look at it
// before committing it).  On a mismatch the actual image and a difference
// image (differing pixels red over a dimmed copy) are written beside each
// other in the build tree, and the first differing pixel is named.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "osd/Osd.h"

namespace osdtest {

// folder: where the references lie, relative to the source tree.
::testing::AssertionResult MatchesGolden(const std::string &name, const pvrsim::osd::Image &actual,
                                         const std::string &folder = "tests/osd/golden");

// A part of an image.
pvrsim::osd::Image Crop(const pvrsim::osd::Image &image, int x, int y, int w, int h);

}  // namespace osdtest

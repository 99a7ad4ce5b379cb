// Coverage.h - quantising anti-aliased coverage to a font's seven steps.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace fontbuilder {

using CoverageSteps = std::array<uint8_t, 7>;

// Linear steps of the UFNT fonts.
extern const CoverageSteps kUfntSteps;
// Steps of the built-in legacy font (brighter mid tones).
extern const CoverageSteps kLegacySteps;

// Maps a coverage of 0..255 to the nearest of the seven linear levels and
// returns that level's value from steps.
uint8_t quantise(uint8_t coverage, const CoverageSteps &steps);
void quantise(std::vector<uint8_t> &coverage, const CoverageSteps &steps);

}  // namespace fontbuilder

// Coverage.cpp - quantising anti-aliased coverage to a font's seven steps.
#include "Coverage.h"

namespace fontbuilder {

const CoverageSteps kUfntSteps = {0, 43, 85, 128, 170, 213, 255};
const CoverageSteps kLegacySteps = {0, 58, 102, 144, 182, 219, 255};

uint8_t quantise(uint8_t coverage, const CoverageSteps &steps) {
  // Level = round(coverage * 6 / 255), with halves going up.
  unsigned level = (coverage * 12u + 255u) / 510u;
  return steps[level];
}

void quantise(std::vector<uint8_t> &coverage, const CoverageSteps &steps) {
  for (uint8_t &value : coverage) value = quantise(value, steps);
}

}  // namespace fontbuilder

#pragma once

#include <algorithm>
#include <cstdint>

namespace qtk {

struct FitSize {
  int32_t width = 0;
  int32_t height = 0;
};

// A picture shrunk to fit a box keeping its proportions, never enlarged, at least one pixel a side.
inline FitSize FitWithin(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight) {
  if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
  if (width <= boxWidth && height <= boxHeight) return {width, height};
  // Compare the two ratios without rounding: width/height against boxWidth/boxHeight.
  if (int64_t{width} * boxHeight >= int64_t{height} * boxWidth) {
    return {boxWidth,
            std::max<int32_t>(1, static_cast<int32_t>(int64_t{height} * boxWidth / width))};
  }
  return {std::max<int32_t>(1, static_cast<int32_t>(int64_t{width} * boxHeight / height)),
          boxHeight};
}

}  // namespace qtk

#pragma once
// Sizes given for a 96-dpi screen, brought to a screen of another density. Every scaled position,
// size and font height of the program goes through ScaleToDpi, so they all round alike.
#include <cstdint>

namespace qtk {

constexpr int kDesignDpi = 96;

// value * dpi / 96, rounded to the nearest whole pixel, halves away from zero (as MulDiv does).
constexpr int ScaleToDpi(int value, int dpi) {
  const int64_t product = int64_t{value} * dpi;
  const int64_t half = kDesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi
                                       : -((-product + half) / kDesignDpi));
}

// The way back: a length on a screen of `dpi` as it is at 96 dpi, rounded the same way.
constexpr int ScaleFromDpi(int value, int dpi) {
  const int64_t product = int64_t{value} * kDesignDpi;
  const int64_t half = dpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / dpi : -((-product + half) / dpi));
}

// A usable screen density: what the system reports, or 96 when it reports nothing sensible.
constexpr int SaneDpi(int reported) {
  return reported >= 48 && reported <= 960 ? reported : kDesignDpi;
}

}  // namespace qtk

#pragma once
#include <cstdint>

namespace qtk {

// 0x00BBGGRR for a plain colour; 0xFF0000nn refers to system colour nn and is resolved when drawn.
using Color = uint32_t;

constexpr Color clNone = 0x1FFFFFFF;
constexpr Color clWindow = 0xFF000005;
constexpr Color clWindowText = 0xFF000008;
constexpr Color clBtnFace = 0xFF00000F;

constexpr Color clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080;
constexpr Color clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clSilver = 0xC0C0C0;
constexpr Color clGray = 0x808080, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF;
constexpr Color clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;

constexpr bool IsSystemColor(Color c) { return (c >> 24) == 0xFF; }

// The colour as 0x00BBGGRR, looking system colours up in the current scheme.
uint32_t ResolveColor(Color c);

}  // namespace qtk

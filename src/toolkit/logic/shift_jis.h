#pragma once

namespace qtk {

// True for a Shift-JIS (code page 932) lead byte: such a byte and the one after it form one
// character, whose second byte may look like "\", ":" or ".".
constexpr bool IsShiftJisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace qtk

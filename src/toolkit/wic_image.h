#pragma once
#include <cstddef>

#include "toolkit/bitmap.h"

namespace qtk {

// Decodes a picture file held in memory (a PNG from the clipboard) with the system's imaging
// component into `into`, its transparency composed over white. False when the data is not a
// picture the component reads or is past the readers' limits; `into` is then unspecified.
bool DecodeWithImagingComponent(const void* data, size_t size, Bitmap& into);

}  // namespace qtk

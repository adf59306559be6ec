#pragma once
#include <string>
#include <string_view>

#include "toolkit/logic/shift_jis.h"

namespace quillora {

using qtk::IsShiftJisLeadByte;

// Everything after the last "\" or ":" of the path; the whole path when neither occurs.
std::string FileNamePart(std::string_view path);

// The last "." of the file name and the text after it, or empty when the name has no ".".
std::string Extension(std::string_view path);

// Lowers single-byte "A"-"Z"; the bytes of double-byte characters stay as they are.
std::string LowerAscii(std::string_view text);

}  // namespace quillora

#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace quillora {

// The cursor position shown in the status bar: " X:<x> Y:<y>".
std::string PositionText(int32_t x, int32_t y);

// The question asked before closing a picture with unsaved changes.
std::string CloseQuestion(std::string_view fileName);

}  // namespace quillora

#pragma once
#include <string>
#include <string_view>

namespace qtk {

// The text of the standard error display: the message with "." appended when its last
// character (a Shift-JIS character, lead byte compared) sorts after ".".
std::string ErrorDisplayText(std::string_view message);

}  // namespace qtk

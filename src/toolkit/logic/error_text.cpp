#include "toolkit/logic/error_text.h"

#include "toolkit/logic/shift_jis.h"

namespace qtk {

std::string ErrorDisplayText(std::string_view message) {
  std::string text(message);
  if (text.empty()) return text;
  size_t last = 0;
  for (size_t i = 0; i < text.size();) {
    last = i;
    const bool lead = IsShiftJisLeadByte(static_cast<unsigned char>(text[i]));
    i += (lead && i + 1 < text.size()) ? 2 : 1;
  }
  if (static_cast<unsigned char>(text[last]) > static_cast<unsigned char>('.')) text += '.';
  return text;
}

}  // namespace qtk

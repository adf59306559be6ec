#include "editor/logic/name_parts.h"

namespace quillora {

namespace {

// Length in bytes of the character starting at i; a lead byte at the very end stands alone.
size_t CharLength(std::string_view text, size_t i) {
  return IsShiftJisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// Offset just past the last single-byte "\" or ":", or 0 when there is none.
size_t NameStart(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); i += CharLength(path, i)) {
    if (CharLength(path, i) == 1 && (path[i] == '\\' || path[i] == ':')) start = i + 1;
  }
  return start;
}

}  // namespace

std::string FileNamePart(std::string_view path) {
  return std::string(path.substr(NameStart(path)));
}

std::string Extension(std::string_view path) {
  const size_t start = NameStart(path);
  size_t dot = std::string_view::npos;
  // Scanning from the name start keeps character boundaries: NameStart only stops after a single
  // byte.
  for (size_t i = start; i < path.size(); i += CharLength(path, i)) {
    if (CharLength(path, i) == 1 && path[i] == '.') dot = i;
  }
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
    if (CharLength(out, i) == 1 && out[i] >= 'A' && out[i] <= 'Z')
      out[i] = static_cast<char>(out[i] - 'A' + 'a');
  }
  return out;
}

}  // namespace quillora

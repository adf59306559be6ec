// The Shift-JIS file-name scans on arbitrary bytes: no read outside the text, and the parts they
// return keep the shape the callers rely on.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/logic/name_parts.h"

namespace {

void Expect(bool ok) {
  if (!ok) std::abort();
}

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  const std::string name = quillora::FileNamePart(path);
  const std::string ext = quillora::Extension(path);
  const std::string lower = quillora::LowerAscii(path);

  // The name is the path's tail and holds no separator of its own; the extension is the name's
  // tail.
  Expect(EndsWith(path, name));
  Expect(quillora::FileNamePart(name) == name);
  Expect(EndsWith(name, ext));
  Expect(ext.empty() || ext[0] == '.');
  Expect(quillora::Extension(name) == ext);
  Expect(quillora::Extension(ext) == ext);
  // Lowering keeps the length and touches only single-byte capitals, so it is idempotent.
  Expect(lower.size() == path.size());
  Expect(quillora::LowerAscii(lower) == lower);
  for (size_t i = 0; i < size; ++i) {
    if (lower[i] != path[i]) Expect(path[i] >= 'A' && path[i] <= 'Z' && lower[i] == path[i] + 32);
  }
  return 0;
}

#include "editor/logic/texts.h"

#include "editor/logic/name_parts.h"

namespace quillora {

std::string PositionText(int32_t x, int32_t y) {
  return " X:" + std::to_string(x) + " Y:" + std::to_string(y);
}

std::string CloseQuestion(std::string_view fileName) {
  // A name without an extension is not shown; the question then speaks of "the picture".
  const std::string name =
      Extension(fileName).empty() ? std::string("画像") : FileNamePart(fileName);
  return " 『 " + name + " 』" + " が保存されていません。" + "\r\n\r\n" + "　保存しますか？";
}

}  // namespace quillora

#include "editor/logic/texts.h"
#include "toolkit/logic/error_text.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(Texts, PositionText_Should_ShowDecimalCoordinatesWithSigns) {
  EXPECT_EQ(PositionText(0, 0), " X:0 Y:0");
  EXPECT_EQ(PositionText(-3, 12), " X:-3 Y:12");
  EXPECT_EQ(PositionText(-2147483647 - 1, 2147483647), " X:-2147483648 Y:2147483647");
}

TEST(Texts, ErrorDisplayText_Should_AppendDot_When_LastCharacterSortsAfterDot) {
  EXPECT_EQ(qtk::ErrorDisplayText("abc"), "abc.");
  EXPECT_EQ(qtk::ErrorDisplayText("code 0"), "code 0.");
  // "表" (0x95 0x5C) ends the message: judged by its lead byte, not its 0x5C trail.
  EXPECT_EQ(qtk::ErrorDisplayText("\x95\x5C"), "\x95\x5C.");
  EXPECT_EQ(qtk::ErrorDisplayText("x\x83\x41"), "x\x83\x41.");
}

TEST(Texts, ErrorDisplayText_Should_KeepMessage_When_LastCharacterIsDotOrSortsBefore) {
  EXPECT_EQ(qtk::ErrorDisplayText("x."), "x.");
  EXPECT_EQ(qtk::ErrorDisplayText("a!"), "a!");
  EXPECT_EQ(qtk::ErrorDisplayText("a-"), "a-");
  EXPECT_EQ(qtk::ErrorDisplayText("line\r\n"), "line\r\n");
  EXPECT_EQ(qtk::ErrorDisplayText(""), "");
}

TEST(Texts, ErrorDisplayText_Should_TreatLeadByteAndNextByteAsOneCharacter) {
  // 0x81 takes the "!" with it, so the last character starts with 0x81 > ".".
  EXPECT_EQ(qtk::ErrorDisplayText("a\x81!"), "a\x81!.");
  // "!" after a complete double-byte character stands on its own.
  EXPECT_EQ(qtk::ErrorDisplayText("\x95\x5C!"), "\x95\x5C!");
}

#ifdef _WIN32
// The Windows build turns the Japanese literals into Shift-JIS: check the exact bytes.
const std::string kPictureWord = "\x89\xE6\x91\x9C";
std::string Question(const std::string& name) {
  return "\x20\x81\x77\x20" + name +
         "\x20\x81\x78"
         "\x20\x82\xAA\x95\xDB\x91\xB6\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81"
         "\x42"
         "\r\n\r\n"
         "\x81\x40\x95\xDB\x91\xB6\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48";
}
#else
const std::string kPictureWord = "画像";
std::string Question(const std::string& name) {
  return " 『 " + name + " 』 が保存されていません。\r\n\r\n　保存しますか？";
}
#endif

TEST(Texts, CloseQuestion_Should_NameTheFile_When_ItHasAnExtension) {
  EXPECT_EQ(CloseQuestion("C:\\pics\\a.bmp"), Question("a.bmp"));
  EXPECT_EQ(CloseQuestion("b.JPG"), Question("b.JPG"));
  EXPECT_EQ(CloseQuestion("C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.jpg"), Question("\x95\x5C.jpg"));
}

TEST(Texts, CloseQuestion_Should_SayPicture_When_NameHasNoExtension) {
  EXPECT_EQ(CloseQuestion(""), Question(kPictureWord));
  EXPECT_EQ(CloseQuestion("C:\\dir.d\\noext"), Question(kPictureWord));
  EXPECT_EQ(CloseQuestion("C:\\dir\\\x83\x5C\x83\x74\x83\x67"), Question(kPictureWord));
}

}  // namespace
}  // namespace quillora

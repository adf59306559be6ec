#include "editor/logic/name_parts.h"

#include <gtest/gtest.h>

#include "toolkit/logic/error_text.h"

namespace quillora {
namespace {

// Shift-JIS bytes, escaped so both the native and the CP932 build see the same bytes.
// "表" is 0x95 0x5C and "ソフト" is 0x83 0x5C 0x83 0x74 0x83 0x67: both hold a 0x5C trail byte.
constexpr const char* kHyou = "\x95\x5C";
constexpr const char* kSofuto = "\x83\x5C\x83\x74\x83\x67";

TEST(NameParts, FileNamePart_Should_ReturnTextAfterLastBackslashOrColon) {
  EXPECT_EQ(FileNamePart("C:\\pics\\a.bmp"), "a.bmp");
  EXPECT_EQ(FileNamePart("a:b.JPG"), "b.JPG");
  EXPECT_EQ(FileNamePart("dir.d\\file"), "file");
  EXPECT_EQ(FileNamePart("noext"), "noext");
  EXPECT_EQ(FileNamePart(""), "");
  EXPECT_EQ(FileNamePart("C:\\pics\\"), "");
}

TEST(NameParts, FileNamePart_Should_IgnoreBackslashTrailByteOfDoubleByteCharacter) {
  EXPECT_EQ(FileNamePart(std::string(kHyou) + ".bmp"), std::string(kHyou) + ".bmp");
  EXPECT_EQ(FileNamePart(std::string("C:\\") + kSofuto + "\\a.jpg"), "a.jpg");
  EXPECT_EQ(FileNamePart(std::string("C:\\dir\\") + kSofuto), kSofuto);
}

TEST(NameParts, FileNamePart_Should_LetLeadByteTakeTheNextByteEvenWhenItIsBackslash) {
  EXPECT_EQ(FileNamePart("x\x81\\y.bmp"), "x\x81\\y.bmp");
  // A lead byte at the very end has no partner and is a character of its own.
  EXPECT_EQ(FileNamePart("a\\b\x81"), "b\x81");
}

// The edges of the lead-byte ranges, through the rule and through a path scan that relies on it.
TEST(NameParts, LeadByteRule_Should_HoldAtEveryEdgeOfItsRanges) {
  const struct {
    unsigned char byte;
    bool lead;
  } edges[] = {{0x80, false}, {0x81, true}, {0x9F, true}, {0xA0, false},
               {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFD, false}};
  for (const auto& e : edges) {
    SCOPED_TRACE(static_cast<int>(e.byte));
    EXPECT_EQ(IsShiftJisLeadByte(e.byte), e.lead);
    const std::string path = std::string("x") + static_cast<char>(e.byte) + "\\y.bmp";
    EXPECT_EQ(FileNamePart(path), e.lead ? path : "y.bmp");
    // The error display ends a message with "." unless its last character is one.
    const std::string message = std::string("x") + static_cast<char>(e.byte) + ".";
    EXPECT_EQ(qtk::ErrorDisplayText(message), e.lead ? message + "." : message);
  }
}

TEST(NameParts, Extension_Should_ReturnLastDotOfFileNameWithTheDot) {
  EXPECT_EQ(Extension("C:\\pics\\a.bmp"), ".bmp");
  EXPECT_EQ(Extension("a:b.JPG"), ".JPG");
  EXPECT_EQ(Extension("archive.tar.gz"), ".gz");
  EXPECT_EQ(Extension("a."), ".");
}

TEST(NameParts, Extension_Should_BeEmpty_When_FileNameHasNoDot) {
  EXPECT_EQ(Extension("noext"), "");
  EXPECT_EQ(Extension(""), "");
  EXPECT_EQ(Extension("dir.d\\file"), "");
  EXPECT_EQ(Extension("x.y:file"), "");
  EXPECT_EQ(Extension("C:\\pics.d\\"), "");
}

TEST(NameParts, Extension_Should_WalkDoubleByteCharacters) {
  EXPECT_EQ(Extension(std::string(kHyou) + ".bmp"), ".bmp");
  EXPECT_EQ(Extension(std::string("C:\\") + kSofuto + "\\a.jpg"), ".jpg");
  EXPECT_EQ(Extension(std::string("C:\\dir\\") + kSofuto), "");
  // The 0x5C after the dot belongs to "ソ", so the dot is still inside the file name.
  EXPECT_EQ(Extension(std::string("a.") + kSofuto), std::string(".") + kSofuto);
}

TEST(NameParts, LowerAscii_Should_LowerOnlySingleByteLetters) {
  EXPECT_EQ(LowerAscii("photo.Jpeg"), "photo.jpeg");
  EXPECT_EQ(LowerAscii("AZ@[az"), "az@[az");
  // 0x83 0x41 is "ア": its trail byte equals "A" and must survive.
  EXPECT_EQ(LowerAscii("B\x83\x41"
                       "C"),
            "b\x83\x41"
            "c");
  EXPECT_EQ(LowerAscii(""), "");
}

}  // namespace
}  // namespace quillora

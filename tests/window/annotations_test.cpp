// Lines under the pointer: which press hits which line.
#include <windows.h>

#include <gtest/gtest.h>

#include "window/picture_driver.h"

namespace quillora::testing_support {
namespace {

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000;

class AnnotLineHit : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    Tool(TScrivletForm1::kSelect1);
  }
  // A select-mode click on a document that holds only `line`.
  bool Hits(const LineRecord& line, int x, int y) {
    editor->doc.ClearAnnotations();
    AddLine(line);
    Click(x, y);
    return editor->doc.SelectedLine() != nullptr;
  }
};

// The band itself is the hit rule's (tested with it); a press goes by it.
TEST_F(AnnotLineHit, Press_Should_SelectByTheHitRule) {
  const LineRecord h{100, 100, 200, 100, 5, kRed, false};
  EXPECT_TRUE(Hits(h, 150, 106));
  EXPECT_FALSE(Hits(h, 150, 107));
  EXPECT_FALSE(Hits(h, 100, 100));
}

TEST_F(AnnotLineHit, Press_Should_SelectEarlierLine_When_LinesOverlap) {
  const LineRecord& first = AddLine({100, 240, 540, 240, 5, kRed, false});
  AddLine({320, 40, 320, 440, 5, kBlue, false});
  Click(320, 240);
  EXPECT_EQ(editor->doc.SelectedLine(), &first);
}

TEST_F(AnnotLineHit, Press_Should_PreferLine_When_LabelLiesOverIt) {
  PlaceLabel(300, 230, "WWWWWWWW", 0x00FF00);
  Tool(TScrivletForm1::kSelect1);
  const LineRecord& line = AddLine({100, 236, 540, 236, 5, kRed, false});
  Click(320, 236);
  EXPECT_EQ(editor->doc.SelectedLine(), &line);
  EXPECT_EQ(editor->doc.SelectedText(), nullptr);
}

}  // namespace
}  // namespace quillora::testing_support

// Every error that reaches the standard error display, met by the shipped program: the box is
// shown, answered, and the program goes on.
#include <functional>

#include "program/fixture.h"

namespace quillora::program {
namespace {

using testing_support::MakeBmp24;
using testing_support::MakeJpeg;
using testing_support::WriteFile;

std::string Picture24() {
  return MakeBmp24(64, 48, [](int x, int y) { return (x * 4) << 8 | y * 5; });
}

// A JPEG whose frame header claims 12-bit samples, as a 12-bit file does.
std::string Jpeg12() {
  std::string jpeg = MakeJpeg(32, 32, [](int x, int) { return x * 8u; });
  const size_t sof = jpeg.find("\xFF\xC0");
  jpeg[sof + 4] = 12;
  return jpeg;
}

struct ErrorCase {
  const char* name;
  // Brings the error about; the fixture gives the folder and the program.
  std::function<void(class ErrorDisplay&)> act;
  const char* textHas;  // part of the message the user reads
};

class ErrorDisplay : public ProgramTest, public ::testing::WithParamInterface<ErrorCase> {
 public:
  void OpenFile(const char* name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    OpenThroughDialog(dir.File(name));
  }
};

const ErrorCase kCases[] = {
    {"DamagedBmp", [](ErrorDisplay& t) { t.OpenFile("cut.bmp", Picture24().substr(0, 3000)); }, ""},
    {"DamagedJpeg",
     [](ErrorDisplay& t) {
       // Cut inside its headers: damaged data after them is only a warning, and is drawn.
       std::string jpeg = MakeJpeg(64, 64, [](int x, int y) { return x * y * 1u; });
       t.OpenFile("cut.jpg", jpeg.substr(0, jpeg.find("\xFF\xC4")));
     },
     "JPEG エラー #"},
    {"TwelveBitJpeg", [](ErrorDisplay& t) { t.OpenFile("deep.jpg", Jpeg12()); }, "JPEG エラー #"},
    {"PasteWithoutPicture",
     [](ErrorDisplay& t) {
       ClipboardText("no picture here");
       Keys(t.editor, {VK_CONTROL, 'V'});
     },
     "クリップボード"},
    {"SaveToReadOnlyFile",
     [](ErrorDisplay& t) {
       const std::string path = t.dir.File("locked.bmp");
       t.OpenFile("locked.bmp", Picture24());
       ASSERT_TRUE(WaitFor([&] { return t.Caption() == "　Quillora　　locked.bmp"; }, 5000));
       SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
       Drag(t.picture, {5, 5}, {50, 40});
       Keys(t.editor, {VK_CONTROL, 'S'});
     },
     "locked.bmp"},
};

TEST_P(ErrorDisplay, Error_Should_ShowStandardBox_AndLeaveProgramUsable) {
  StartEditor();
  GetParam().act(*this);
  const Box box = WaitBox(*program);
  ASSERT_NE(box.hwnd, nullptr) << "no error box; program running: " << program->Running();
  EXPECT_EQ(box.title, kBoxTitle);
  EXPECT_NE(box.text.find(GetParam().textHas), std::string::npos) << box.text;
  EXPECT_EQ(box.buttons.size(), 1u);
  ASSERT_TRUE(Answer(box, IDOK));
  ExpectAliveAndUsable();
}

INSTANTIATE_TEST_SUITE_P(Program, ErrorDisplay, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillora::program

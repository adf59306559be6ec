// The program's own messages: a file it cannot open named on the command line, and the version box.
#include "program/fixture.h"

namespace quillora::program {
namespace {

class ProgramMessages : public ProgramTest {};

TEST_F(ProgramMessages, UnsupportedFileOnCommandLine_Should_SayWhichFormats_ThenEnd) {
  const std::string path = dir.File("notes.txt");
  testing_support::WriteFile(path, "text");
  Program named("\"" + path + "\"");
  ASSERT_TRUE(named.Started());
  const Box box = WaitBox(named, 30000);
  ASSERT_NE(box.hwnd, nullptr) << "no message; running: " << named.Running();
  EXPECT_EQ(box.title, kBoxTitle);
  EXPECT_NE(box.text.find("『 BMP,WMF,JPG,JPEG 』"), std::string::npos) << box.text;
  bool seen = named.Window("TScrivletForm0") != nullptr;
  ASSERT_TRUE(Answer(box, IDOK));
  // Watched without pause from the answer to the end of the process.
  const DWORD start = GetTickCount();
  while (named.Running() && GetTickCount() - start < 10000)
    seen = seen || named.Window("TScrivletForm0") != nullptr;
  EXPECT_EQ(named.WaitEnd(0), 0);
  EXPECT_FALSE(seen) << "the launcher was shown";
}

TEST_F(ProgramMessages, VersionBox_Should_OpenFromHelpMenuByAccessKeys_AndClose) {
  StartEditor();
  Box box;
  for (int attempt = 0; attempt < 3 && !box.hwnd; ++attempt) {
    Keys(editor, {VK_MENU, 'H'});  // ヘルプ(&H), by its access key
    Keys(nullptr, {'V'});          // バージョン情報(&V)
    box = WaitBox(*program, 5000);
  }
  ASSERT_NE(box.hwnd, nullptr) << "the version box did not open";
  EXPECT_NE(box.title.find("Quillora"), std::string::npos) << box.title;
  ASSERT_TRUE(Answer(box, IDOK));
  EXPECT_TRUE(program->Running());
  ExpectAliveAndUsable();
}

}  // namespace
}  // namespace quillora::program

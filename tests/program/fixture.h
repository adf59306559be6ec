#pragma once
// What the tests of the shipped program share: the program with its editor open, a folder of
// their own, and the few gestures every road uses.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "program/driver.h"
#include "support/files.h"

namespace quillora::program {

inline const char* const kBoxTitle = "Quillora";

// Members are public: the table-driven cases act on the fixture from outside.
class ProgramTest : public ::testing::Test {
 public:
  // Starts the program and opens the editor in the mode without a capture.
  void StartEditor() {
    program = std::make_unique<Program>();
    ASSERT_TRUE(program->Started());
    editor = program->OpenEditor();
    ASSERT_NE(editor, nullptr) << "the editor did not open";
    picture = Child(editor, "QtkPaintBox");
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(Foreground(editor));
    Wait(300);
  }
  // Ctrl+`key` on the editor until the program's open or save dialog comes (three tries).
  HWND FileDialogByKeys(WORD key) {
    HWND dialog = nullptr;
    for (int attempt = 0; attempt < 3 && !dialog; ++attempt) {
      Keys(editor, {VK_CONTROL, key});
      dialog = WaitFileDialog(*program, 5000);
    }
    return dialog;
  }
  // Opens `path` through Ctrl+O and the real open dialog.
  void OpenThroughDialog(const std::string& path) {
    HWND dialog = FileDialogByKeys('O');
    ASSERT_NE(dialog, nullptr) << "the open dialog did not open";
    ASSERT_TRUE(FillFileDialog(dialog, path));
  }
  // The program is still there and still does what it is asked: a picture opens.
  void ExpectAliveAndUsable() {
    ASSERT_TRUE(program->Running()) << "the program ended";
    const std::string path = dir.File("alive.bmp");
    testing_support::WriteFile(
        path, testing_support::MakeBmp24(40, 30, [](int, int) { return 0x00FF00u; }));
    OpenThroughDialog(path);
    EXPECT_TRUE(WaitFor([&] { return Text(editor) == "　Quillora　　alive.bmp"; }, 5000))
        << "caption: " << Text(editor);
  }
  std::string Caption() const { return Text(editor); }

  testing_support::TempDir dir;
  std::unique_ptr<Program> program;
  HWND editor = nullptr;
  HWND picture = nullptr;
};

}  // namespace quillora::program

#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "editor/editor.h"
#include "launcher/launcher.h"
#include "support/files.h"
#include "toolkit/app.h"

namespace quillora::testing_support {

// A message box that a test expected, with the answer the test gave.
struct ShownBox {
  std::string text, caption;
  UINT type = 0;
};

// The hook in place outside BoxRecorder: any message box fails the test at once.
void FailOnMessageBox();

// Records every message box and answers with `answer` (IDOK unless set).
class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  std::vector<ShownBox> boxes;
  std::function<int(const ShownBox&)> answer;
};

// Pixel of a 24-bit bitmap as 0x00BBGGRR.
uint32_t PixelAt(const qtk::Bitmap& bitmap, int x, int y);
// Every pixel of `got` against `want`; names the first that differs.
::testing::AssertionResult SamePixels(const qtk::Bitmap& got, const qtk::Bitmap& want);
// Pixels of `bitmap` that are not `colour`.
int CountNot(const qtk::Bitmap& bitmap, uint32_t colour);
// A copy of a picture, to draw an expected result on with plain GDI.
std::unique_ptr<qtk::Bitmap> CopyOf(const qtk::Bitmap& picture);

// Another thread holds the clipboard open for the object's lifetime, as another program may.
class ClipboardHeldElsewhere {
 public:
  ClipboardHeldElsewhere();
  ~ClipboardHeldElsewhere();

 private:
  std::atomic<bool> held_{false}, done_{false};
  std::thread holder_;
};

// An editor created as the program creates it, hidden, with its close hooks recorded.
class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  void CreateEditor(const std::string& commandLineFile = "");
  // The launcher over `editor`, as the program makes it; released before the editor.
  void CreateLauncher();
  // Handles the messages that are waiting (paints, posted commands).
  void Pump();

  std::unique_ptr<TScrivletForm1> editor;
  std::unique_ptr<TScrivletForm0> launcher;
  BoxRecorder boxes;
  int launcherCloses = 0;
  int launcherShows = 0;
};

// The editor shown and in front, with the colour and font dialogs failing the test when opened.
class ShownEditorTest : public EditorTest {
 protected:
  void SetUp() override;
  void TearDown() override;
};

}  // namespace quillora::testing_support

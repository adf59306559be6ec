#include "support/editor_fixture.h"

#include <cstring>

namespace quillora::testing_support {

BoxRecorder::BoxRecorder() {
  qtk::Application::Get().messageBoxHook = [this](const std::string& text,
                                                  const std::string& caption, UINT type) {
    boxes.push_back({text, caption, type});
    return answer ? answer(boxes.back()) : IDOK;
  };
}

void FailOnMessageBox() {
  qtk::Application::Get().messageBoxHook = [](const std::string& text, const std::string& caption,
                                              UINT) {
    ADD_FAILURE() << "unexpected message box: " << caption << ": " << text;
    return IDCANCEL;
  };
}

BoxRecorder::~BoxRecorder() { FailOnMessageBox(); }

uint32_t PixelAt(const qtk::Bitmap& bitmap, int x, int y) {
  const uint8_t* p = bitmap.Bits() + bitmap.Stride() * y + x * 3;
  return p[0] << 16 | p[1] << 8 | p[2];
}

::testing::AssertionResult SamePixels(const qtk::Bitmap& got, const qtk::Bitmap& want) {
  if (got.Width() != want.Width() || got.Height() != want.Height())
    return ::testing::AssertionFailure() << "sizes differ";
  int differing = 0;
  std::string first;
  for (int y = 0; y < want.Height(); ++y)
    for (int x = 0; x < want.Width(); ++x)
      if (PixelAt(got, x, y) != PixelAt(want, x, y) && differing++ == 0)
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ, first at " << first;
}

int CountNot(const qtk::Bitmap& bitmap, uint32_t colour) {
  int n = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) n += PixelAt(bitmap, x, y) != colour;
  return n;
}

std::unique_ptr<qtk::Bitmap> CopyOf(const qtk::Bitmap& picture) {
  auto copy = std::make_unique<qtk::Bitmap>(picture.Width(), picture.Height());
  copy->GetCanvas().Draw(0, 0, picture.DC(), picture.Width(), picture.Height());
  return copy;
}

ClipboardHeldElsewhere::ClipboardHeldElsewhere()
    : holder_([this] {
        if (OpenClipboard(nullptr)) {
          held_ = true;
          while (!done_) Sleep(5);
          CloseClipboard();
        }
      }) {
  while (!held_) Sleep(1);
}

ClipboardHeldElsewhere::~ClipboardHeldElsewhere() {
  done_ = true;
  holder_.join();
}

void EditorTest::SetUp() {}

void EditorTest::TearDown() {
  launcher.reset();
  editor.reset();
  Pump();
}

void EditorTest::CreateEditor(const std::string& commandLineFile) {
  editor.reset();  // its commands' ids are fixed: one editor at a time
  editor = std::make_unique<TScrivletForm1>();
  editor->closeLauncher = [this] { ++launcherCloses; };
  editor->showLauncher = [this] { ++launcherShows; };
  editor->Create(commandLineFile);
  Pump();
}

void EditorTest::CreateLauncher() {
  launcher = std::make_unique<TScrivletForm0>();
  launcher->Create(editor.get());
}

void EditorTest::Pump() { qtk::Application::Get().ProcessMessages(); }

void ShownEditorTest::SetUp() {
  // A dialog that a test did not answer fails it instead of waiting for a user.
  qtk::ColorDialog::hook = [](qtk::ColorDialog&) {
    ADD_FAILURE() << "unexpected colour dialog";
    return false;
  };
  qtk::FontDialog::hook = [](qtk::FontDialog&) {
    ADD_FAILURE() << "unexpected font dialog";
    return false;
  };
  CreateEditor();
  editor->Show();
  SetForegroundWindow(editor->Handle());
  Pump();
}

void ShownEditorTest::TearDown() {
  qtk::ColorDialog::hook = nullptr;
  qtk::FontDialog::hook = nullptr;
  EditorTest::TearDown();
}

}  // namespace quillora::testing_support

// Capture where the Print Screen key would open the snipping overlay: the copy is made by the
// program itself, chosen by the per-user keyboard setting read at every capture.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "launcher/launcher.h"
#include "support/editor_fixture.h"
#include "toolkit/screen_copy.h"

namespace quillora::testing_support {
namespace {

const char* const kKeyboard = "Control Panel\\Keyboard";
const char* const kValue = "PrintScreenKeyForSnippingEnabled";

// Sets the setting for the test and puts back what was there.
class SnippingSetting {
 public:
  SnippingSetting() {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, kKeyboard, kValue, RRF_RT_REG_DWORD, &type, &value,
                     &size) == ERROR_SUCCESS)
      saved_ = value;
  }
  ~SnippingSetting() {
    if (saved_)
      Set(*saved_);
    else
      Remove();
  }
  void Set(DWORD value) {
    ASSERT_EQ(
        RegSetKeyValueA(HKEY_CURRENT_USER, kKeyboard, kValue, REG_DWORD, &value, sizeof(value)),
        ERROR_SUCCESS);
  }
  void SetText(const char* text) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kKeyboard, kValue, REG_SZ, text,
                    static_cast<DWORD>(strlen(text) + 1));
  }
  void Remove() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kKeyboard, kValue); }

 private:
  std::optional<DWORD> saved_;
};

class CaptureSnipping : public EditorTest {
 protected:
  void SetUp() override {
    CreateEditor();
    CreateLauncher();
    // A quick clock: each reading is 50 ms on, so a pause takes 15 readings.
    launcher->tickSource = [this] { return now += 50; };
    // Real key events, counted: where the key is sent, the stand-in answers it under Wine.
    launcher->keySender = [this](BYTE vk, BYTE scan, DWORD flags, ULONG_PTR extra) {
      keys.push_back(scan);
      keybd_event(vk, scan, flags, extra);
    };
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }
  void Capture(int mode) {
    launcher->ModeSelect.SetItemIndex(mode);
    launcher->ScreenCapClick();
  }

  SnippingSetting setting;
  qtk::PrintScreenStandIn standIn;
  uint32_t now = 1000;
  std::vector<BYTE> keys;
};

TEST_F(CaptureSnipping, Setting_Should_BeReadFromTheRegistry_OnlyAsDwordOne) {
  setting.Set(1);
  EXPECT_TRUE(PrintScreenOpensSnipping());
  setting.Set(0);
  EXPECT_FALSE(PrintScreenOpensSnipping());
  setting.Set(2);
  EXPECT_FALSE(PrintScreenOpensSnipping());
  setting.SetText("1");
  EXPECT_FALSE(PrintScreenOpensSnipping());
  setting.Remove();
  EXPECT_FALSE(PrintScreenOpensSnipping());
}

TEST_F(CaptureSnipping, WholeScreen_Should_SendNoKeyAndCopyTheScreen_When_SettingIsOne) {
  setting.Set(1);
  Capture(0);
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(editor->doc.Base().Width(), GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_EQ(editor->doc.Base().Height(), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EXPECT_EQ(editor->view.Picture().Width(), editor->doc.Base().Width());
  EXPECT_TRUE(editor->Visible());
  EXPECT_TRUE(editor->doc.Modified());
  EXPECT_EQ(editor->toolMode, kToolLine);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(CaptureSnipping, WholeScreen_Should_SendOneKey_When_SettingIsZeroOrAbsent) {
  for (bool absent : {false, true}) {
    if (absent)
      setting.Remove();
    else
      setting.Set(0);
    keys.clear();
    Capture(0);
    ASSERT_EQ(keys.size(), 1u) << "absent " << absent;
    EXPECT_EQ(keys[0], 0) << "absent " << absent;
    // The stand-in answered the key under Wine: the editor holds the screen.
    EXPECT_EQ(editor->doc.Base().Width(), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_TRUE(boxes.boxes.empty());
    editor->Hide();
  }
}

// Another program holding the clipboard makes our own copy fail: the launcher comes back.
TEST_F(CaptureSnipping, FailedCopy_Should_BringLauncherBack_When_ClipboardIsHeld) {
  setting.Set(1);
  std::optional<ClipboardHeldElsewhere> held{std::in_place};
  std::string message;
  try {
    Capture(0);
  } catch (const std::exception& e) {
    message = e.what();
  }
  held.reset();
  EXPECT_EQ(message, "クリップボードを開くことができません");
  EXPECT_TRUE(launcher->Visible());
  EXPECT_FALSE(editor->Visible());
}

TEST_F(CaptureSnipping, ActiveWindow_Should_CopyForegroundWindowRectangle_When_SettingIsOne) {
  setting.Set(1);
  qtk::RegisterWindowClass("QuilloraSnipProbe", 0, nullptr, GetSysColorBrush(COLOR_WINDOW));
  // Owned, as a dialog is: a window manager keeps its size (a main window it may fill the screen
  // with).
  HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  HWND probe = CreateWindowExA(WS_EX_TOPMOST, "QuilloraSnipProbe", "", WS_POPUP | WS_VISIBLE, 40,
                               30, 321, 203, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(probe, nullptr);
  SetForegroundWindow(probe);
  Pump();
  // The foreground window at the moment of the copy decides; keep the probe there.
  launcher->tickSource = [this, probe] {
    if (GetForegroundWindow() != probe) SetForegroundWindow(probe);
    return now += 50;
  };
  Capture(1);
  DestroyWindow(probe);
  DestroyWindow(owner);
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(editor->doc.Base().Width(), 321);
  EXPECT_EQ(editor->doc.Base().Height(), 203);
}

}  // namespace
}  // namespace quillora::testing_support

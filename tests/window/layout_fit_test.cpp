// Every caption and display text of both windows fits its control in the faces the layouts name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/launcher.h"
#include "support/editor_fixture.h"

namespace quillora::testing_support {
namespace {

std::string TextOf(HWND hwnd) {
  char text[512] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// The widest line of a text, measured with the control's own font.
int TextWidth(HWND hwnd, const std::string& text) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
  int widest = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    SIZE s{};
    GetTextExtentPoint32A(dc, text.data() + start, static_cast<int>(end - start), &s);
    widest = std::max<int>(widest, s.cx);
    start = end + 2;
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return widest;
}

class LayoutFit : public EditorTest {};

TEST_F(LayoutFit, Texts_Should_FitTheirControls) {
  CreateEditor();
  TScrivletForm0 launcher;
  launcher.Create(editor.get());
  // The room for the text: the client width less what the control itself draws beside it.
  const int box = GetSystemMetrics(SM_CXMENUCHECK) + 4;  // check box or radio circle
  struct Control {
    const char* name;
    HWND hwnd;
    int beside;
  };
  std::vector<Control> controls = {
      {"ScreenCap", launcher.ScreenCap.Handle(), 0},
      {"NG", launcher.NG.Handle(), 0},
      {"ModeSelect", launcher.ModeSelect.Handle(), 16},  // the caption sits in the frame
      {"FColorButton", editor->FColorButton.Handle(), 0},
      {"CheckBox1", editor->CheckBox1.Handle(), box},
      {"CheckBox2", editor->CheckBox2.Handle(), box},
      {"TextOKButton", editor->TextOKButton.Handle(), 0},
      {"FName", editor->FName.Handle(), 0},
      {"MHyouji", editor->MHyouji.Handle(), 0},
      {"LineW", editor->LineW.Handle(), 0},
      {"LW", editor->LW.Handle(), 0},
      {"LineC", editor->LineC.Handle(), 0},
  };
  for (int i = 0; i < 4; ++i)
    controls.push_back({"ModeSelect item", launcher.ModeSelect.ItemHandle(i), box});
  // The mode displays show a text of each tool in turn.
  const char* tools[] = {TScrivletForm1::kSpoide1, TScrivletForm1::kSelect1, TScrivletForm1::kLine1,
                         TScrivletForm1::kText1};
  std::vector<std::pair<Control, std::string>> shown;
  for (const Control& c : controls) shown.push_back({c, TextOf(c.hwnd)});
  for (const char* tool : tools) {
    editor->ToolBar1.Click(tool);
    for (const Control& c : {Control{"NowMode", editor->NowMode.Handle(), 0},
                             Control{"SelColor", editor->SelColor.Handle(), 0}})
      shown.push_back({c, TextOf(c.hwnd)});
  }
  for (const auto& [c, text] : shown) {
    ASSERT_FALSE(text.empty()) << c.name;
    RECT client{};
    GetClientRect(c.hwnd, &client);
    EXPECT_LE(TextWidth(c.hwnd, text), client.right - c.beside) << c.name << " \"" << text << "\"";
  }
}

}  // namespace
}  // namespace quillora::testing_support

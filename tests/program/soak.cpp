// The soak: the shipped program driven with seeded random input for a set time. It fails when
// the program ends while it should not, or, in runs of three minutes and more, when its GDI or
// USER objects at the end are more than after the first minute or its resident memory is more
// than 10% above what it was then.
//   quillora_soak.exe [--seconds N] [--seed S] [--trace]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "program/driver.h"
#include "support/files.h"
#include "support/gui_objects.h"

namespace quillora::program {
namespace {

using testing_support::MakeBmp24;
using testing_support::MakeJpeg;
using testing_support::WriteFile;

class Soak {
 public:
  Soak(unsigned seed, DWORD seconds) : random_(seed), seconds_(seconds) {
    // Files the open dialog is given: good pictures and damaged ones.
    auto pattern = [](int x, int y) {
      return static_cast<uint32_t>((x * 7) << 16 | (y * 3) << 8 | (x ^ y));
    };
    const std::string bmp = MakeBmp24(300, 200, pattern), jpeg = MakeJpeg(320, 240, pattern);
    for (auto [name, bytes] : {std::pair{"good.bmp", bmp},
                               {"good.jpg", jpeg},
                               {"cut.bmp", bmp.substr(0, 900)},
                               {"cut.jpg", jpeg.substr(0, 600)}}) {
      WriteFile(dir_.File(name), bytes);
      openable_.push_back(dir_.File(name));
    }
  }

  int Run() {
    if (!program_.Started() || !program_.OpenEditor()) return Fail("the editor did not open");
    if (seconds_ >= 180) WarmUp();  // only the rules of the longer runs read what it settles
    const DWORD start = GetTickCount(), baselineAt = std::min<DWORD>(60, seconds_ / 3) * 1000;
    size_t baseline = 0;
    long baselineFileDialogs = 0;
    testing_support::GuiObjects first, last;
    while (GetTickCount() - start < seconds_ * 1000) {
      Step();
      ++operations_;
      AnswerEverything();
      if (trace_) {
        const auto counts = testing_support::CountGuiObjects(program_.Process());
        std::printf("%5lu %-20s %.1f MB, GDI %ld, USER %ld\n", operations_, last_,
                    program_.ResidentBytes() / 1e6, counts.gdi, counts.user);
      }
      if (failure_) return Fail(failure_);
      if (!program_.Running()) {
        std::printf("soak: exit code %ld\n", program_.WaitEnd(0));
        return Fail("the program ended");
      }
      if (!baseline && GetTickCount() - start >= baselineAt) {
        baseline = Resident();
        first = Objects();
        baselineFileDialogs = fileDialogs_;
      }
    }
    const size_t end = Resident();
    last = Objects();
    std::printf(
        "soak: %lu operations, %lu boxes answered, %lu saves, resident %.1f MB after %lu s, "
        "%.1f MB at the end (%lu s)\n",
        operations_, boxes_, saves_, baseline / 1e6, baselineAt / 1000, end / 1e6, seconds_);
    std::printf(
        "soak: GDI objects %ld after %lu s, %ld at the end; USER objects %ld, %ld (%s); %ld file "
        "dialogs "
        "since\n",
        first.gdi, baselineAt / 1000, last.gdi, first.user, last.user, last.how,
        fileDialogs_ - baselineFileDialogs);
    if (!baseline || !end) return Fail("resident memory could not be read");
    if (first.gdi < 0 || first.user < 0 || last.gdi < 0 || last.user < 0)
      return Fail("GDI and USER objects could not be counted");
    // Under Wine the USER figure is the session's, and Wine's file dialog keeps one USER object
    // each time it opens (measured: the same with our preview pane left out, no window of ours
    // left): those are allowed, as are a few that come and go with the system's own windows.
    const long allowed =
        4 + (std::strcmp(last.how, "GetGuiResources") ? fileDialogs_ - baselineFileDialogs : 0);
    if (seconds_ >= 180 && last.gdi > first.gdi) return Fail("GDI objects grew");
    if (seconds_ >= 180 && last.user > first.user + allowed) return Fail("USER objects grew");
    // In a short run the largest picture met so far still moves the figure by megabytes: the
    // rule holds for runs of three minutes and more, after their first minute.
    if (seconds_ >= 180 && end > baseline + baseline / 10)
      return Fail("resident memory grew by more than 10%");
    return CloseWithEachAnswer();
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  int Fail(const char* why) {
    std::printf("soak FAILED after %lu operations (last: %s): %s\n", operations_, last_, why);
    return 1;
  }

  // The editor in front; after a reload, a new capture from the launcher.
  void ReachEditor() {
    for (int attempt = 0; attempt < 3; ++attempt) {
      AnswerEverything();
      if (IsWindowVisible(program_.editor)) return;
      if (program_.launcher && IsWindowVisible(program_.launcher)) {
        static const char* const kModes[] = {"スクリーン全体", "アクティブウィンドウ",
                                             "クリップボード", "エディタの起動のみ"};
        PressButton(program_.launcher, kModes[Pick(4)]);
        PressButton(program_.launcher, "G O");
        WaitFor([&] { return IsWindowVisible(program_.editor) || program_.Window("#32770"); },
                5000);
      }
    }
  }

  // Every dialog and box once, and a screen-sized picture, before memory is first read: their
  // first use loads the system's code and resources, which is no growth of ours.
  void WarmUp() {
    last_ = "warm-up";
    HWND editor = program_.editor;
    for (WORD key : {'O', 'S', 'P'}) {
      Keys(editor, {VK_CONTROL, key});
      CancelWhatOpens();
    }
    Keys(editor, {VK_SNAPSHOT});
    for (auto [menu, item] : {std::pair{2, 'V'}, {1, 'L'}, {1, 'F'}, {1, 'C'}, {1, 'B'}}) {
      MenuCommand(editor, menu, static_cast<WORD>(item));
      CancelWhatOpens();
    }
    // Each density once (its fonts and glyphs), a preview shown, and a label in each of the font
    // sizes the run chooses from, which fills the canvases' font caches to their bound.
    for (WORD dpi : {120, 144, 192, 96})
      PostMessageA(editor, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
    Wait(1000);
    PreviewInOpenDialog();
    AnswerEverything();
    for (int size = 0; size < kFontSizes; ++size) {
      ChooseFontSize(size);
      PlaceLabel();
    }
    AnswerEverything();
  }
  void CancelWhatOpens() {
    WaitFor([&] { return program_.Window("#32770") != nullptr; }, 3000);
    closing_ = true;
    AnswerEverything();
  }

  // The program's objects in the same state as its memory is read (after Resident()).
  testing_support::GuiObjects Objects() {
    testing_support::GuiObjects counts = testing_support::CountGuiObjects(program_.Process());
    return counts;
  }

  // Resident memory with the same document each time: the blank picture, no annotations.
  size_t Resident() {
    AnswerEverything();
    ReachEditor();
    Keys(program_.editor, {VK_CONTROL, 'N'});
    AnswerEverything();
    Wait(500);
    return program_.ResidentBytes();
  }

  // Something unsaved, so that a close asks (a saved or freshly opened picture closes at once):
  // back to the launcher with Ctrl+R and a new capture, which always leaves the work unsaved.
  void MakeUnsaved() {
    Keys(program_.editor, {VK_CONTROL, 'R'});
    if (!WaitFor([&] { return program_.launcher && IsWindowVisible(program_.launcher); }, 5000))
      return;
    PressButton(program_.launcher, "エディタの起動のみ");
    PressButton(program_.launcher, "G O");
    WaitFor([&] { return IsWindowVisible(program_.editor); }, 8000);
    Wait(300);
  }

  HWND Picture() { return Child(program_.editor, "QtkPaintBox"); }
  POINT AnyPoint(HWND h) {
    RECT r{};
    GetClientRect(h, &r);
    return {Pick(std::max<LONG>(1, r.right)), Pick(std::max<LONG>(1, r.bottom))};
  }
  // A child of the editor of that class, chosen at random among the visible ones.
  HWND AnyChild(const char* className, bool writableOnly = false) {
    std::vector<HWND> found;
    struct Ctx {
      const char* cls;
      bool writable;
      std::vector<HWND>* out;
    } ctx{className, writableOnly, &found};
    EnumChildWindows(
        program_.editor,
        [](HWND h, LPARAM lp) -> BOOL {
          auto* c = reinterpret_cast<Ctx*>(lp);
          if (IsWindowVisible(h) && _stricmp(ClassOf(h).c_str(), c->cls) == 0 &&
              (!c->writable || !(GetWindowLongA(h, GWL_STYLE) & ES_READONLY)))
            c->out->push_back(h);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return found.empty() ? nullptr : found[Pick(static_cast<int>(found.size()))];
  }
  void ClickIn(HWND h, bool right = false) {
    if (!h) return;
    const POINT p = AnyPoint(h);
    Click(h, p.x, p.y, right);
  }

  void Step() {
    if (!IsWindowVisible(program_.editor)) ReachEditor();
    HWND editor = program_.editor;
    if (GetForegroundWindow() != editor) Foreground(editor);
    switch (Pick(19)) {
      case 0:
      case 1: {
        last_ = "tool bar";
        HWND bar = Child(editor, "ToolbarWindow32");
        const POINT p = AnyPoint(bar);
        if (trace_) std::printf("      tool bar at %ld\n", p.x);
        Click(bar, p.x, p.y);
        break;
      }
      case 2:
        last_ = "palette";
        ClickIn(Child(editor, "QtkColorGrid"));
        break;
      case 3:
      case 4:
        last_ = "picture click";
        ClickIn(Picture());
        break;
      case 5:
      case 6: {
        last_ = "picture drag";
        HWND p = Picture();
        if (p) Drag(p, AnyPoint(p), AnyPoint(p));
        break;
      }
      case 7:
        last_ = "picture right click";
        ClickIn(Picture(), true);
        break;
      case 8: {
        last_ = "text entry";
        HWND entry = AnyChild("Edit", true);
        if (!entry) break;
        ClickIn(entry);
        SendMessageA(entry, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        TypeText(entry, Pick(2) ? L"注釈テキスト" : L"Label 123");
        PressButton(editor, "確　定");
        break;
      }
      case 9:
        last_ = "Delete";
        Keys(editor, {VK_DELETE});
        break;
      case 10: {
        // Undo and redo among them, often: steps of every kind taken back and made again.
        static const WORD kShortcuts[] = {'N', 'O', 'S', 'V', 'P', 'R', 'Z', 'Z', 'Y'};
        const WORD key = kShortcuts[Pick(9)];
        last_ = "Ctrl+key";
        if (key == 'V' && Pick(2))
          ClipboardBitmap(200 + Pick(300), 150 + Pick(200), RGB(Pick(256), 80, 160));
        Keys(editor, {VK_CONTROL, key});
        break;
      }
      case 11:
        last_ = "Print Screen";
        Keys(editor, {VK_SNAPSHOT});
        break;
      case 12:
        last_ = "close, kept";
        MakeUnsaved();
        closing_ = true;
        Keys(editor, {VK_MENU, VK_F4});
        break;
      case 13:
        last_ = "other control";
        ClickIn(AnyChild("Button"));
        break;
      case 14:
        last_ = "spin";
        ClickIn(Child(editor, "msctls_updown32"));
        break;
      case 16:
        last_ = "font";
        ChooseAnyFontSize();
        break;
      case 17: {
        // A move to a screen of another density, as the system tells it (no suggested rectangle).
        static const WORD kDensities[] = {96, 120, 144, 192};
        const WORD dpi = kDensities[Pick(4)];
        last_ = "density";
        PostMessageA(editor, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
        Wait(300);
        break;
      }
      case 18:
        last_ = "preview";
        PreviewInOpenDialog();
        break;
      default:
        last_ = "move";
        ClickIn(Child(editor, "msctls_statusbar32"));
        break;
    }
    Wait(30);
  }

  // The font dialog from the menu, a size from the first kFontSizes of its list, OK.
  static constexpr int kFontSizes = 12;
  void ChooseAnyFontSize() { ChooseFontSize(Pick(kFontSizes)); }
  void ChooseFontSize(int index) {
    MenuCommand(program_.editor, 1, 'F');
    HWND dialog = program_.WaitWindow("#32770", 3000);
    HWND sizes = dialog ? GetDlgItem(dialog, 0x472) : nullptr;
    if (!sizes) return;
    const LRESULT count = SendMessageA(sizes, CB_GETCOUNT, 0, 0);
    if (count > 0) SendMessageA(sizes, CB_SETCURSEL, std::min<LRESULT>(index, count - 1), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(0x472, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(sizes));
    if (HWND ok = GetDlgItem(dialog, IDOK)) ClickUntilGone(dialog, ok);
  }
  // A label placed as a user does: the text tool from the picture's menu, a point, words, "確　定".
  void PlaceLabel() {
    HWND picture = Picture();
    if (!picture) return;
    Click(picture, 40 + Pick(200), 40 + Pick(150), true);
    Wait(300);
    for (int i = 0; i < 4; ++i) Keys(nullptr, {VK_DOWN});
    Keys(nullptr, {VK_RETURN});
    Click(picture, 40 + Pick(200), 40 + Pick(150));
    if (HWND entry = AnyChild("Edit", true)) {
      ClickIn(entry);
      TypeText(entry, L"注釈");
      PressButton(program_.editor, "確　定");
    }
    AnswerEverything();
  }
  // The open dialog with a picture chosen in its list, so that its preview shows it, then
  // cancelled.
  void PreviewInOpenDialog() {
    Keys(program_.editor, {VK_CONTROL, 'O'});
    HWND dialog = WaitFileDialog(program_, 3000);
    if (!dialog) return;
    ++fileDialogs_;
    if (HWND list = Child(dialog, "SysListView32")) {
      Click(list, 40, 8 + 18 * Pick(4));
      Wait(400);
    }
    CancelDialog(dialog);
  }

  // Answers every box, dialog and menu the program shows, as a user might.
  void AnswerEverything() {
    for (int round = 0; round < 20; ++round) {
      Wait(round ? 150 : 40);
      if (HWND menu = FindWindowA("#32768", nullptr); menu && IsWindowVisible(menu)) {
        Keys(nullptr, {VK_ESCAPE});
        continue;
      }
      HWND h = program_.Window("#32770");
      if (!h) break;
      ++boxes_;
      if (GetDlgItem(h, 0x47C) || GetDlgItem(h, 0x480)) {
        AnswerFileDialog(h);
        continue;
      }
      const Box box = WaitBox(program_, 1000);
      if (!box.hwnd) continue;
      if (trace_)
        std::printf("      box \"%s\": %s\n", box.title.c_str(), box.text.substr(0, 60).c_str());
      if (box.title == "確認") {
        // "はい" for a picture without a name meets a cancelled save dialog; with a name it would
        // save and end the program.
        const bool named = Text(program_.editor).find("画像作成") == std::string::npos;
        const int answer = named || Pick(3) ? IDCANCEL : IDYES;
        if (trace_) std::printf("      answered %s\n", answer == IDYES ? "yes" : "cancel");
        Answer(box, answer);
        if (answer == IDYES) {
          // Its save dialog is cancelled, whenever it comes: filled in, the program would end.
          if (HWND dialog = WaitFileDialog(program_, 8000)) {
            ++fileDialogs_;
            CancelDialog(dialog);
          } else
            failure_ = "はい brought no save dialog";
        }
        continue;
      }
      if (GetDlgItem(h, IDCANCEL) && (closing_ || Pick(10) < 7 || !GetDlgItem(h, IDOK)))
        Answer(box, IDCANCEL);
      else if (!Answer(box, IDOK))
        Keys(h, {VK_ESCAPE});
    }
    closing_ = false;
  }

  void AnswerFileDialog(HWND dialog) {
    ++fileDialogs_;
    const bool saving = Text(dialog).find("保存") != std::string::npos;
    if (trace_)
      std::printf("      file dialog \"%s\"%s\n", Text(dialog).c_str(),
                  closing_ ? ", closing" : "");
    if (closing_ || Pick(2)) {
      CancelDialog(dialog);
    } else if (saving) {
      ++saves_;
      const char* ext = Pick(2) ? ".bmp" : ".jpg";
      FillFileDialog(dialog, dir_.File("soak" + std::to_string(saves_ % 4) + ext), -1);
    } else {
      FillFileDialog(dialog, openable_[Pick(static_cast<int>(openable_.size()))], -1);
    }
    if (IsWindow(dialog) && IsWindowVisible(dialog)) CancelDialog(dialog);
  }

  // The close at the end: "キャンセル" keeps the program, "いいえ" ends it. ("はい" meets a
  // cancelled save dialog during the run.)
  int CloseWithEachAnswer() {
    last_ = "final close";
    closing_ = true;
    AnswerEverything();
    ReachEditor();
    MakeUnsaved();
    for (int answer : {IDCANCEL, IDNO}) {
      Box box;
      for (int attempt = 0; attempt < 3 && !box.hwnd && program_.Running(); ++attempt) {
        Keys(program_.editor, {VK_MENU, VK_F4});
        box = WaitBox(program_, 3000);
      }
      if (!box.hwnd || box.title != "確認") {
        std::printf("soak: instead of the question: \"%s\" %s\n", box.title.c_str(),
                    box.text.c_str());
        EnumWindows(
            [](HWND h, LPARAM) -> BOOL {
              if (IsWindowVisible(h))
                std::printf("soak:   window %s \"%s\" enabled %d\n", ClassOf(h).c_str(),
                            Text(h).c_str(), IsWindowEnabled(h));
              return TRUE;
            },
            0);
        std::printf("soak:   foreground %s\n", ClassOf(GetForegroundWindow()).c_str());
        return Fail("the close did not ask");
      }
      Answer(box, answer);
      if (answer == IDCANCEL && !program_.Running())
        return Fail("the close was cancelled, yet the program ended");
    }
    if (program_.WaitEnd(10000) != 0)
      return Fail("the close answered with no did not end the program");
    std::printf("soak: passed\n");
    return 0;
  }

  std::mt19937 random_;
  DWORD seconds_;
  testing_support::TempDir dir_;
  Program program_;
  std::vector<std::string> openable_;
  unsigned long operations_ = 0, boxes_ = 0, saves_ = 0;
  long fileDialogs_ = 0;
  const char* last_ = "start";
  bool closing_ = false;
  const char* failure_ = nullptr;

 public:
  bool trace_ = false;  // memory and objects after every operation
};

}  // namespace
}  // namespace quillora::program

int main(int argc, char** argv) {
  unsigned seed = 1;
  DWORD seconds = 600;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::strtoul(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoul(argv[i + 1], nullptr, 10);
  }
  std::printf("soak: seed %u, %lu s\n", seed, seconds);
  std::fflush(stdout);
  quillora::program::Soak soak(seed, seconds);
  for (int i = 1; i < argc; ++i) soak.trace_ = soak.trace_ || std::strcmp(argv[i], "--trace") == 0;
  const int result = soak.Run();
  std::fflush(stdout);
  return result;
}

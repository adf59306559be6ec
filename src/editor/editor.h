#pragma once
#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "annotations/logic/line_record.h"
#include "annotations/moji.h"
#include "editor/commands.h"
#include "editor/logic/paint_boxes.h"
#include "editor/model/document.h"
#include "editor/view/composition.h"
#include "toolkit/action.h"
#include "toolkit/bars.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/printer.h"
#include "toolkit/window.h"

namespace quillora {

// A box of the picture as a rectangle for GDI (picture coordinates fit its 32 bits).
inline RECT ToRect(const Box& b) {
  return {static_cast<LONG>(b.left), static_cast<LONG>(b.top), static_cast<LONG>(b.right),
          static_cast<LONG>(b.bottom)};
}

// The editor window: the document (base picture, annotations, file name, modified flag), what
// it looks like, its controls and commands. Methods are split over files by concern.
class TScrivletForm1 : public qtk::Form {
 public:
  TScrivletForm1();
  ~TScrivletForm1() override;

  // Creates the window and its controls and runs FormCreate; `commandLineFile` is the first
  // command-line argument (empty for none).
  void Create(const std::string& commandLineFile);

  // Set by the program's entry: closes the launcher (ending the program) and shows it again.
  std::function<void()> closeLauncher;
  std::function<void()> showLauncher;

  // --- document (document.cpp) ---
  void FormCreate(const std::string& commandLineFile);
  void FormDestroy();
  void ClearAnnotations();
  // The one refresh that every handler ends in: the composition takes what the document's
  // changes touched, and the rectangles of the screen that changed are invalidated.
  void ComposePicture();
  // The same, with everything drawn again.
  void ComposeFull();
  void DeselectAll();
  // Copies the part of the screen asked for; draws nothing else.
  void PB1Paint(HDC dc, const RECT& area);
  void ActNewExecute();

  // --- loading (load.cpp) ---
  void LoadPicture(const std::string& fileName);
  void ActOpenExecute();
  void WMDropFiles(HDROP drop);

  // --- saving and closing (save.cpp) ---
  void ActSaveExecute();
  void ActSaveAsExecute();
  void ActExitExecute();
  void SaveJpeg();
  void SaveBitmap();
  void AfterWrite();
  void FormCloseQuery(bool& canClose);
  void FormClose();

  // --- printing (print.cpp) ---
  void ActPrintExecute();

  // --- paste and version box (paste.cpp) ---
  void ActPastExecute();
  void ActVerExecute();

  // --- reload, back to the launcher (document.cpp) ---
  void ActReloadExecute();

  // --- lines and labels (draw.cpp, text.cpp) ---
  // What a file and the paper get: every annotation in its own colours, whatever is selected on
  // the screen.
  const qtk::Bitmap& WrittenPicture();
  void TextOKButtonClick();
  void InsTextChange();
  void ShowLabelInEntry(const TMoji& label);
  void DrawTextPoint();
  void AdjustTextPanel();

  // --- pointer and tools (pointer.cpp) ---
  void UpdateToolMode();
  void PB1MouseDown(qtk::MouseButton button, int32_t x, int32_t y);
  void PB1MouseMove(int32_t x, int32_t y);
  void PB1MouseUp(qtk::MouseButton button, int32_t x, int32_t y);
  void FormKeyDown(WORD key);
  void FormKeyUp(WORD key);
  void ActDelExecute();
  // A tool button clicked: the tool is the one whose button the click left down, if any.
  void ToolButtonClick(CommandId tool);
  // A tool chosen from a menu (or by the program): its button goes down.
  void ChooseTool(CommandId tool);
  // The tool buttons' handlers and the pop-up menu's.
  void Spoide1Click() { ToolButtonClick(kCmdPick); }
  void Select1Click() { ToolButtonClick(kCmdSelect); }
  void Line1Click() { ToolButtonClick(kCmdLine); }
  void Arrow1Click() { ToolButtonClick(kCmdArrow); }
  void Text1Click() { ToolButtonClick(kCmdText); }
  void Spoide2Click() { ChooseTool(kCmdPick); }
  void Select2Click() { ChooseTool(kCmdSelect); }
  void Line2Click() { ChooseTool(kCmdLine); }
  void Text2Click() { ChooseTool(kCmdText); }

  // --- palette (palette.cpp) ---
  void ColorGrid1Click();
  void ActColorExecute();
  void ActFontColorExecute();
  void ActBKColorExecute();
  void ActFontExecute();
  void SpinEdit1Change();
  void SpinEdit1Click();
  void ApplicationEvents1Hint(const std::string& hint);
  void HideDisplayCaret();  // the press handlers of the read-only displays

  // --- undo and redo (history.cpp) ---
  void ActUndoExecute();
  void ActRedoExecute();
  // The end of a capture, one step to undo: mode 0 to 2 the blank picture and the clipboard's
  // over it, 3 the blank picture alone; then the line tool, the window shown, the flag set.
  void TakeCapture(int mode);

  // --- state ---
  // The document: base picture, annotations, selection, file name, modified flag. It changes
  // only through its own calls; the window shows it.
  Document doc;
  // What the document looks like: the picture that is saved, printed and picked, and what the
  // screen shows over it.
  Composition view;
  int32_t toolMode = kToolNone;
  POINT textPoint{0, 0};
  POINT lastPoint{0, 0};
  bool dragging = false;
  const LineRecord* gestureLine = nullptr;  // the record the current line press added (pointer.cpp)
  bool gestureStep_ = false;                // the press opened the step its drag fills
  bool historyBegun_ = false;               // the first capture has shown the editor

  // --- commands (layout.cpp), one action for each entry of the command table ---
  qtk::Action& Act(CommandId id);
  // Every command's enabled and checked state follows from the document and this.
  CommandState commandState;
  void UpdateCommands();

  // --- controls (layout.cpp) ---
  std::unique_ptr<qtk::Menu> MainMenu1, PopupMenu1, PopupMenu2;
  qtk::CoolBar CoolBar1;
  qtk::ToolBar ToolBar1;
  qtk::Panel Panel2, Panel1, Panel3, Panel4;
  qtk::Edit InsText, FName;
  qtk::Button TextOKButton, FColorButton;
  qtk::Memo SelColor;
  qtk::ColorGrid ColorGrid1;
  qtk::Edit MHyouji, NowMode, LineW, LW, LineC, LCB, NBK, NowColor;
  qtk::SpinEdit SpinEdit1;
  qtk::CheckBox CheckBox1, CheckBox2;
  qtk::ScrollBox ScrollBox1;
  qtk::PaintBox Image1;  // carrier of a pasted clipboard picture; stays hidden
  qtk::PaintBox PB1;
  qtk::StatusBar StatusBar1;

  qtk::OpenPictureDialog OpenPictureDialog1;
  qtk::SavePictureDialog SavePictureDialog1;
  qtk::ColorDialog ColorDialog1;
  qtk::FontDialog FontDialog1;
  qtk::PrintDialog PrintDialog1;
  qtk::Printer printer;

  // Names of the tool buttons in the tool bar.
  static constexpr const char* kSpoide1 = "Spoide1";
  static constexpr const char* kSelect1 = "Select1";
  static constexpr const char* kLine1 = "Line1";
  static constexpr const char* kArrow1 = "Arrow1";
  static constexpr const char* kText1 = "Text1";

 protected:
  bool CloseQuery() override;
  void OnClose() override;
  void OnResize() override;
  void OnFormDpiChanged() override;
  void PreviewKey(UINT msg, WPARAM key) override;
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateControls();
  void CreateMenus();
  void CreateToolBar();
  void CreateTextRow();
  void CreatePalette();
  void LayoutBands();
  void SizeToBase();  // PB1 takes the base image's size
  // Reads a new base picture into a frame of its own; the document takes it as one change.
  void ReplaceBase(const std::function<void(qtk::Bitmap& into)>& read, bool keepMarks,
                   const std::string& name, const std::string& caption);
  // The caption of a picture loaded under `name` with extension `ext`.
  static std::string DocumentCaption(const std::string& ext, const std::string& name);
  // The window's caption becomes the document's.
  void ShowCaption();
  // Ends the pointer's gesture: its changes are one step, done.
  void EndGesture();
  // What a press, a move and a release do in a tool mode (pointer.cpp); null for nothing.
  struct Gesture {
    int32_t mode;
    void (TScrivletForm1::*press)(int32_t x, int32_t y);
    void (TScrivletForm1::*move)(int32_t x, int32_t y);
    void (TScrivletForm1::*release)(int32_t x, int32_t y);
  };
  static const Gesture* GestureOf(int32_t mode);
  void SelectPress(int32_t x, int32_t y);
  void SelectMove(int32_t x, int32_t y);
  void SelectRelease(int32_t x, int32_t y);
  void LinePress(int32_t x, int32_t y);
  void LineMove(int32_t x, int32_t y);
  void LineRelease(int32_t x, int32_t y);
  void TextPress(int32_t x, int32_t y);
  void TextPointPress(int32_t x, int32_t y);
  void TextRelease(int32_t x, int32_t y);
  void PickPress(int32_t x, int32_t y);
  // The window after an undo or redo: the picture's size, the caption, the selection's band.
  void ShowHistoryStep(bool hadTextSelected);

  std::vector<std::unique_ptr<qtk::Action>> actions_;  // in the command table's order
  qtk::BitmapObject glyphs_;
  qtk::AcceleratorTable accelerators_;
  qtk::IconHandle icon_;
};

extern const char* const kEditorClassName;  // "TScrivletForm1"

}  // namespace quillora

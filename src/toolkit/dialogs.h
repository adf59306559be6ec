#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "toolkit/color.h"
#include "toolkit/gdi.h"

namespace qtk {

// "description|pattern|..." as the file dialogs take it: '|' becomes NUL, ending in two NULs.
// Double-byte characters are kept whole, so a trail byte 0x7C is not taken for a separator.
std::string ToSystemFilter(const std::string& filter);

// The common dialogs. Each Execute() runs the system dialog modally and returns true when the
// user confirmed. Tests replace the system dialog by setting the class's `hook`, which receives
// the dialog as set up and answers in its place (filling the result fields).

class OpenPictureDialog {
 public:
  std::string filter;  // "description|pattern|description|pattern"
  std::string fileName;
  bool Execute(HWND owner);
  static inline std::function<bool(OpenPictureDialog&)> hook;
};

class SavePictureDialog {
 public:
  std::string filter;
  int filterIndex = 1;  // 1-based, as the system dialog counts
  std::string defaultExt;
  std::string fileName;
  bool Execute(HWND owner);  // no overwrite prompt, read-only box hidden, resizable
  static inline std::function<bool(SavePictureDialog&)> hook;
};

class ColorDialog {
 public:
  Color color = clBlack;
  std::array<COLORREF, 16> customColors{};  // kept for the life of the dialog object
  bool Execute(HWND owner);
  static inline std::function<bool(ColorDialog&)> hook;
};

class FontDialog {
 public:
  FontSpec font;  // colour included; height for a 96-dpi screen
  // The dialog (and the hook) sees the height at the owner's density.
  bool Execute(HWND owner);
  static inline std::function<bool(FontDialog&)> hook;

 private:
  bool Run(HWND owner);
};

class Printer;
class PrintDialog {
 public:
  // On confirm, the chosen printer and its settings go to `printer`.
  bool Execute(HWND owner, Printer& printer);
  static inline std::function<bool(PrintDialog&, Printer&)> hook;
};

// The system's About box.
void ShowAbout(HWND owner, const std::string& appName, const std::string& otherText, HICON icon);
inline std::function<void(const std::string& appName, const std::string& otherText, HICON icon)>
    aboutHook;

}  // namespace qtk

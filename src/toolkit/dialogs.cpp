#include "toolkit/dialogs.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "toolkit/error.h"
#include "toolkit/preview_hook.h"
#include "toolkit/printer.h"
#include "toolkit/window.h"

namespace qtk {

namespace {

// A cancelled dialog reports 0; anything else means the dialog could not run at all.
bool DialogFailed() {
  DWORD code = CommDlgExtendedError();
  if (code == 0) return false;
  char text[80];
  std::snprintf(text, sizeof text, "コモン ダイアログ エラー (0x%04lX)",
                static_cast<unsigned long>(code));
  throw Error(text);
}

// A MAX_PATH buffer that the file dialogs fill, starting from `initial` (cut to fit).
std::vector<char> PathBuffer(const std::string& initial) {
  std::vector<char> buffer(MAX_PATH, '\0');
  std::copy_n(initial.data(), std::min<size_t>(initial.size(), MAX_PATH - 1), buffer.data());
  return buffer;
}

std::vector<BYTE> DevModeBytes(HGLOBAL h) {
  std::vector<BYTE> bytes;
  if (!h) return bytes;
  if (auto* dm = static_cast<const DEVMODEA*>(GlobalLock(h))) {
    size_t size = size_t{dm->dmSize} + dm->dmDriverExtra;
    size = std::min<size_t>(size, GlobalSize(h));
    const BYTE* p = reinterpret_cast<const BYTE*>(dm);
    bytes.assign(p, p + size);
    GlobalUnlock(h);
  }
  return bytes;
}

std::string DeviceName(HGLOBAL h) {
  std::string name;
  if (!h) return name;
  if (auto* dn = static_cast<const DEVNAMES*>(GlobalLock(h))) {
    name = reinterpret_cast<const char*>(dn) + dn->wDeviceOffset;
    GlobalUnlock(h);
  }
  return name;
}

}  // namespace

std::string ToSystemFilter(const std::string& filter) {
  std::string out;
  out.reserve(filter.size() + 2);
  // A trail byte of a double-byte character can be '|' (0x7C, as in "ポ"), so walk by characters.
  for (size_t i = 0; i < filter.size(); ++i) {
    char c = filter[i];
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < filter.size()) {
      out += c;
      out += filter[++i];
    } else {
      out += c == '|' ? '\0' : c;
    }
  }
  if (out.empty() || out.back() != '\0') out += '\0';
  out += '\0';
  return out;
}

bool OpenPictureDialog::Execute(HWND owner) {
  if (hook) return hook(*this);
  std::string sysFilter = ToSystemFilter(filter);
  std::vector<char> name = PathBuffer("");
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.empty() ? nullptr : sysFilter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = MAX_PATH;
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  PreviewHook preview;
  preview.Attach(ofn);
  if (!GetOpenFileNameA(&ofn)) return DialogFailed();
  fileName = name.data();
  return true;
}

bool SavePictureDialog::Execute(HWND owner) {
  if (hook) return hook(*this);
  std::string sysFilter = ToSystemFilter(filter);
  std::vector<char> name = PathBuffer(fileName);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.empty() ? nullptr : sysFilter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(std::max(filterIndex, 0));
  ofn.lpstrFile = name.data();
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
  PreviewHook preview;
  preview.Attach(ofn);
  if (!GetSaveFileNameA(&ofn)) return DialogFailed();
  fileName = name.data();
  filterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}

bool ColorDialog::Execute(HWND owner) {
  if (hook) return hook(*this);
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = owner;
  cc.rgbResult = ResolveColor(color);
  cc.lpCustColors = customColors.data();
  cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorA(&cc)) return DialogFailed();
  color = cc.rgbResult;
  return true;
}

// A font height is kept for a 96-dpi screen; the dialog speaks in points of the screen it is on,
// so it is given the height as that screen shows it and its answer is taken back to 96 dpi.
bool FontDialog::Execute(HWND owner) {
  const Window* window = Window::FromHandle(owner);
  const int dpi = window ? window->Dpi() : SystemDpi();
  const int designHeight = font.height;
  font.height = ScaleToDpi(designHeight, dpi);
  bool ok = false;
  try {
    ok = hook ? hook(*this) : Run(owner);
  } catch (...) {
    font.height = designHeight;
    throw;
  }
  font.height = ok ? ScaleFromDpi(font.height, dpi) : designHeight;
  return ok;
}

bool FontDialog::Run(HWND owner) {
  LOGFONTA lf = font.ToLogFont();
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  cf.rgbColors = ResolveColor(font.color);
  if (!ChooseFontA(&cf)) return DialogFailed();
  font = FontSpec::FromLogFont(lf, cf.rgbColors);
  return true;
}

bool PrintDialog::Execute(HWND owner, Printer& printer) {
  if (hook) return hook(*this, printer);
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = owner;
  pd.Flags = PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE | PD_ALLPAGES | PD_NOWARNING;
  pd.nCopies = 1;
  BOOL ok = PrintDlgA(&pd);
  // The dialog may hand back settings blocks even when cancelled; they are ours to free.
  GlobalBlock devMode(pd.hDevMode), devNames(pd.hDevNames);
  if (!ok) return DialogFailed();
  printer.SetDevice(DeviceName(devNames.get()), DevModeBytes(devMode.get()));
  return true;
}

void ShowAbout(HWND owner, const std::string& appName, const std::string& otherText, HICON icon) {
  if (aboutHook) {
    aboutHook(appName, otherText, icon);
    return;
  }
  ShellAboutA(owner, appName.c_str(), otherText.c_str(), icon);
}

}  // namespace qtk

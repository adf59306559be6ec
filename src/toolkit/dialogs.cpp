#include "toolkit/dialogs.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "toolkit/error.h"
#include "toolkit/picture_preview.h"
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

// The preview pane of the picture dialogs: an explorer-style hook with a child dialog built here,
// in which the system puts its own controls in place of stc32 and our pane to their right. The
// picture is read on a thread of its own (a metafile takes a player process and may take its
// whole time limit), and the pane shows it when it is ready; the dialog never waits for it.
class PreviewHook {
 public:
  static constexpr WORD kPaneId = 0x0B00;
  static constexpr UINT kPreviewRead = WM_APP + 0x2B;

  PreviewHook() {
    std::vector<WORD> t;
    auto dword = [&t](DWORD v) {
      t.push_back(LOWORD(v));
      t.push_back(HIWORD(v));
    };
    auto item = [&](DWORD style, short x, short y, short cx, short cy, WORD id) {
      if (t.size() % 2) t.push_back(0);  // items start on a DWORD
      dword(style);
      dword(0);
      for (short v : {x, y, cx, cy}) t.push_back(static_cast<WORD>(v));
      t.push_back(id);
      t.push_back(0xFFFF);  // the static class, by atom
      t.push_back(0x0082);
      t.push_back(0);  // no text
      t.push_back(0);  // no creation data
    };
    dword(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | DS_3DLOOK | DS_CONTROL);
    dword(0);
    t.push_back(2);  // items
    for (short v : {0, 0, 100, 124}) t.push_back(static_cast<WORD>(v));
    t.push_back(0);                       // no menu
    t.push_back(0);                       // the dialog class
    t.push_back(0);                       // no title
    item(WS_CHILD, 0, 0, 4, 124, stc32);  // as tall as the pane, which thus stays at the top
    item(WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 6, 4, 90, 116, kPaneId);
    template_ = GlobalAlloc(GMEM_FIXED, t.size() * sizeof(WORD));
    if (!template_) throw Error("メモリが不足しています");
    std::memcpy(template_, t.data(), t.size() * sizeof(WORD));
  }
  ~PreviewHook() {
    StopReading();
    GlobalFree(template_);
  }
  PreviewHook(const PreviewHook&) = delete;
  PreviewHook& operator=(const PreviewHook&) = delete;

  void Attach(OPENFILENAMEA& ofn) {
    ofn.Flags |= OFN_ENABLEHOOK | OFN_ENABLETEMPLATEHANDLE;
    ofn.hInstance = static_cast<HINSTANCE>(template_);  // a fixed block's handle is its address
    ofn.lpfnHook = Proc;
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
  }

 private:
  // Nothing the preview meets may reach the user as a box: the hook swallows every failure.
  static UINT_PTR CALLBACK Proc(HWND child, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    try {
      if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(child, DWLP_USER, reinterpret_cast<const OPENFILENAMEA*>(lp)->lCustData);
        SetWindowSubclass(GetParent(child), AnySizeInWorkArea, 0, 0);
        RestoreLaidOutSize(GetParent(child), child);
        ScaleChild(child);
        return TRUE;
      }
      if (msg == WM_DESTROY) RemoveWindowSubclass(GetParent(child), AnySizeInWorkArea, 0);
      auto* self = reinterpret_cast<PreviewHook*>(GetWindowLongPtrA(child, DWLP_USER));
      if (!self) return 0;
      switch (msg) {
        case kFitToWorkArea:
          FitToWorkArea(GetParent(child));
          FocusName(GetParent(child));
          return 0;
        case WM_NOTIFY: {
          const UINT code = reinterpret_cast<const NMHDR*>(lp)->code;
          if (code == CDN_INITDONE) {
            self->FitPane(child);
            // Once the dialog has taken its size and its first focus.
            PostMessageA(child, kFitToWorkArea, 0, 0);
          }
          if (code == CDN_SELCHANGE) self->Show(child, SelectedPath(child));
          if (code == CDN_FOLDERCHANGE) self->Show(child, "");
          return 0;
        }
        case WM_SIZE:
          self->FitPane(child);
          return 0;
        case kPreviewRead:
          self->TakeRead(child);
          return TRUE;
        case WM_DRAWITEM: {
          const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
          if (item->CtlID != kPaneId) return 0;
          HGDIOBJ font =
              reinterpret_cast<HGDIOBJ>(SendMessageA(GetParent(child), WM_GETFONT, 0, 0));
          SelectScope scope(item->hDC, font ? font : GetStockObject(DEFAULT_GUI_FONT));
          self->preview_.Paint(item->hDC, item->rcItem);
          return TRUE;
        }
        default:
          return 0;
      }
    } catch (...) {
      return 0;
    }
  }

  static constexpr UINT kFitToWorkArea = WM_APP + 1;

  // The child's units come from the system font, which does not grow with the density as the
  // dialog's own font does: its parts are given their 96-dpi pixel sizes at the screen's density.
  static void ScaleChild(HWND child) {
    const int dpi = SystemWindowDpi(child);
    auto place = [dpi](HWND h, int x, int y, int w, int hh) {
      SetWindowPos(h, nullptr, ScaleToDpi(x, dpi), ScaleToDpi(y, dpi), ScaleToDpi(w, dpi),
                   ScaleToDpi(hh, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(child, 0, 0, 200, 279);  // borderless: the window is its client area
    place(GetDlgItem(child, stc32), 0, 0, 8, 279);
    place(GetDlgItem(child, kPaneId), 12, 9, 180, 261);
  }

  // On a small screen the system makes the dialog smaller than the layout of its controls: it is
  // given back the size they are placed for, so that every later move of them adds up.
  static void RestoreLaidOutSize(HWND dialog, HWND child) {
    RECT client{}, all{LONG_MAX, LONG_MAX, 0, 0}, r{};
    GetClientRect(dialog, &client);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (c == child) continue;
      GetWindowRect(c, &r);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      all = {std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
             std::max(all.bottom, r.bottom)};
    }
    // The right and bottom margins taken as wide as the left and top ones.
    const LONG dx = std::max<LONG>(0, all.right + all.left - client.right);
    const LONG dy = std::max<LONG>(0, all.bottom + all.top - client.bottom);
    GetWindowRect(dialog, &r);
    if (dx || dy)
      SetWindowPos(dialog, nullptr, 0, 0, r.right - r.left + dx, r.bottom - r.top + dy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // The dialog starts in its name field, whatever control the system chose (the type list, the
  // places bar at some densities): a typed name and Enter then open or save it.
  static void FocusName(HWND dialog) {
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name || !IsWindowVisible(name)) name = GetDlgItem(dialog, edt1);
    if (name) SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(name), TRUE);
  }

  static RECT WorkArea(HWND dialog) {
    MONITORINFO info{sizeof info};
    GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
  }

  // The dialog keeps its first size as its least one; on a screen of high density that size,
  // with the pane, can be larger than the screen. It may shrink to the work area instead.
  static LRESULT CALLBACK AnySizeInWorkArea(HWND dialog, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                            DWORD_PTR) noexcept {
    const LRESULT r = DefSubclassProc(dialog, msg, wp, lp);
    if (msg == WM_GETMINMAXINFO) {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      const RECT work = WorkArea(dialog);
      info->ptMinTrackSize.x = std::min<LONG>(info->ptMinTrackSize.x, work.right - work.left);
      info->ptMinTrackSize.y = std::min<LONG>(info->ptMinTrackSize.y, work.bottom - work.top);
      // Laid out first at the size its parts ask for, however large, so that the fit that
      // follows moves every part along.
      info->ptMaxTrackSize.x = std::max<LONG>(info->ptMaxTrackSize.x, 4 * (work.right - work.left));
      info->ptMaxTrackSize.y = std::max<LONG>(info->ptMaxTrackSize.y, 4 * (work.bottom - work.top));
    }
    return r;
  }

  // Made as small as the work area where it is larger, and moved into it; the dialog lays out its
  // controls for the new size (the file list gives up the room, the pane keeps its width).
  static void FitToWorkArea(HWND dialog) {
    const RECT work = WorkArea(dialog);
    RECT r{};
    GetWindowRect(dialog, &r);
    const LONG w = std::min(r.right - r.left, work.right - work.left);
    const LONG h = std::min(r.bottom - r.top, work.bottom - work.top);
    const LONG x = std::clamp(r.left, work.left, work.right - w);
    const LONG y = std::clamp(r.top, work.top, work.bottom - h);
    if (x != r.left || y != r.top || w != r.right - r.left || h != r.bottom - r.top)
      SetWindowPos(dialog, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  static std::string SelectedPath(HWND child) {
    char path[MAX_PATH * 2] = {};
    LRESULT n = SendMessageA(GetParent(child), CDM_GETFILEPATH, sizeof path - 1,
                             reinterpret_cast<LPARAM>(path));
    return n > 0 ? std::string(path) : std::string();
  }

  // The pane reaches down to the bottom of the dialog, whose height the system's controls decide.
  void FitPane(HWND child) {
    HWND pane = GetDlgItem(child, kPaneId);
    RECT r{}, client{};
    GetWindowRect(pane, &r);
    MapWindowPoints(nullptr, child, reinterpret_cast<POINT*>(&r), 2);
    GetClientRect(child, &client);
    const int height =
        std::max<int>(PicturePreview::kCaptionHeight + 16, client.bottom - r.top - 8);
    if (height != r.bottom - r.top)
      SetWindowPos(pane, nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER);
    Show(child, path_);
  }

  void Show(HWND child, const std::string& path) {
    HWND pane = GetDlgItem(child, kPaneId);
    RECT r{};
    GetClientRect(pane, &r);
    path_ = path;
    StopReading();
    preview_.Clear();
    SetWindowTextA(pane, "");
    InvalidateRect(pane, nullptr, TRUE);
    if (path.empty() || !(cancel_ = CreateEventW(nullptr, TRUE, FALSE, nullptr))) return;
    reader_ = std::thread([this, child, path, r, cancel = cancel_] {
      PicturePreview read;
      read.Load(path, r.right, r.bottom, cancel);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        read_ = std::move(read);
      }
      PostMessageA(child, kPreviewRead, 0, 0);
    });
  }

  void TakeRead(HWND child) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!read_) return;  // a reading given up on since
      preview_ = std::move(*read_);
      read_.reset();
    }
    HWND pane = GetDlgItem(child, kPaneId);
    SetWindowTextA(pane, preview_.Caption().c_str());  // the size, for anyone reading the window
    InvalidateRect(pane, nullptr, TRUE);
  }

  // Gives up on the picture being read: its player is ended, and what it read is dropped.
  void StopReading() {
    if (!reader_.joinable()) return;
    SetEvent(cancel_);
    reader_.join();
    CloseHandle(cancel_);
    cancel_ = nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    read_.reset();
  }

  HGLOBAL template_ = nullptr;
  PicturePreview preview_;
  std::string path_;
  std::thread reader_;
  HANDLE cancel_ = nullptr;
  std::mutex mutex_;
  std::optional<PicturePreview> read_;
};

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

// The preview pane of the picture dialogs.
#include "toolkit/preview_hook.h"

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <climits>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "toolkit/gdi.h"
#include "toolkit/picture_preview.h"
#include "toolkit/window.h"

namespace qtk {

// An explorer-style hook with the child dialog of picture_dialog.rc, in which the system puts its
// own controls in place of stc32 and our pane to their right. The
// picture is read on a thread of its own (a metafile takes a player process and may take its
// whole time limit), and the pane shows it when it is ready; the dialog never waits for it.
class PreviewHook::Pane {
 public:
  static constexpr WORD kPaneId = 0x0B00;  // as in the child dialog of picture_dialog.rc
  static constexpr const char* kTemplateName = "QTK_PICTURE_PREVIEW";
  static constexpr UINT kPreviewRead = WM_APP + 0x2B;

  Pane() = default;
  ~Pane() { StopReading(); }
  Pane(const Pane&) = delete;
  Pane& operator=(const Pane&) = delete;

  void Attach(OPENFILENAMEA& ofn) {
    ofn.Flags |= OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    ofn.hInstance = GetModuleHandleA(nullptr);
    ofn.lpTemplateName = kTemplateName;
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
      auto* self = reinterpret_cast<Pane*>(GetWindowLongPtrA(child, DWLP_USER));
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
    if (path.empty()) return;
    cancel_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!cancel_) return;
    reader_ = std::thread([this, child, path, r, cancel = cancel_.get()] {
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
    SetEvent(cancel_.get());
    reader_.join();
    cancel_.reset();
    std::lock_guard<std::mutex> lock(mutex_);
    read_.reset();
  }

  PicturePreview preview_;
  std::string path_;
  std::thread reader_;
  KernelHandle cancel_;
  std::mutex mutex_;
  std::optional<PicturePreview> read_;
};

PreviewHook::PreviewHook() : pane_(std::make_unique<Pane>()) {}
PreviewHook::~PreviewHook() = default;
void PreviewHook::Attach(OPENFILENAMEA& ofn) { pane_->Attach(ofn); }

}  // namespace qtk

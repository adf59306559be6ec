// The tool bar and the band bar.
#include "toolkit/bars.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "toolkit/action.h"
#include "toolkit/app.h"

namespace qtk {

namespace {

constexpr int kButtonSize = 24;  // at 96 dpi
constexpr COLORREF kKeyColor = RGB(255, 255, 255);

// The strip's pixels as 32-bit top-down rows (0x00RRGGBB).
std::vector<uint32_t> ReadPixels(HBITMAP bitmap, int& width, int& height) {
  BITMAP bm{};
  GetObjectA(bitmap, sizeof(bm), &bm);
  width = bm.bmWidth;
  height = bm.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  WindowDC screen(nullptr);
  GetDIBits(screen.get(), bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS);
  return pixels;
}

BitmapObject MakeBitmap(const std::vector<uint32_t>& pixels, int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  WindowDC screen(nullptr);
  BitmapObject bmp(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bits) std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
  return bmp;
}

// Adding with a mask blackens the key colour in the source, so the lists are filled from copies
// and the caller's strip stays as it was.
// The glyphs are square: the strip's height is their size.
HIMAGELIST MakeImageList(const std::vector<uint32_t>& pixels, int width, int height) {
  int count = std::max(1, width / height);
  HIMAGELIST list = ImageList_Create(height, height, ILC_COLOR24 | ILC_MASK, count, 0);
  BitmapObject copy = MakeBitmap(pixels, width, height);
  ImageList_AddMasked(list, copy.get(), kKeyColor);
  return list;
}

// Disabled glyphs: a pale grey of each pixel's brightness, the key colour kept.
std::vector<uint32_t> Greyed(std::vector<uint32_t> pixels) {
  for (uint32_t& p : pixels) {
    if ((p & 0xFFFFFF) == 0xFFFFFF) continue;
    uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    uint32_t luma = (r * 299 + g * 587 + b * 114) / 1000;
    uint32_t grey = 128 + luma * 96 / 255;
    p = (grey << 16) | (grey << 8) | grey;
  }
  return pixels;
}

std::string HintOf(const ToolBar::ButtonArgs& args) {
  return args.action ? args.action->Hint() : args.hint;
}

}  // namespace

// --- ToolBar ---

ToolBar::~ToolBar() {
  if (hwnd_) {
    SendMessageA(hwnd_, TB_SETIMAGELIST, 0, 0);
    SendMessageA(hwnd_, TB_SETHOTIMAGELIST, 0, 0);
    SendMessageA(hwnd_, TB_SETDISABLEDIMAGELIST, 0, 0);
  }
}

void ToolBar::Create(HWND parent, HBITMAP glyphs, int glyphCount) {
  CreateSystem(TOOLBARCLASSNAMEA,
               WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                   CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
               0, parent, 0, 0, 0, kButtonSize);
  SetDesignPlacement(DesignPlacement::None);  // the band bar places it
  SendMessageA(hwnd_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SetGlyphs(glyphs, glyphCount);
}

void ToolBar::SetGlyphs(HBITMAP glyphs, int glyphCount) {
  SendMessageA(hwnd_, TB_SETIMAGELIST, 0, 0);
  SendMessageA(hwnd_, TB_SETHOTIMAGELIST, 0, 0);
  SendMessageA(hwnd_, TB_SETDISABLEDIMAGELIST, 0, 0);
  images_.reset();
  disabledImages_.reset();
  int glyphSize = 16;
  if (glyphs && glyphCount > 0) {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels = ReadPixels(glyphs, width, height);
    glyphSize = std::max(1, height);
    width = std::min(width, glyphCount * glyphSize);
    if (width > 0 && height > 0) {
      // Keep only the glyphs asked for: the rows are cut to the first glyphCount images.
      int fullWidth = static_cast<int>(pixels.size()) / height;
      std::vector<uint32_t> cut(static_cast<size_t>(width) * height);
      for (int y = 0; y < height; ++y)
        std::copy_n(pixels.begin() + static_cast<ptrdiff_t>(y) * fullWidth, width,
                    cut.begin() + static_cast<ptrdiff_t>(y) * width);
      images_.reset(MakeImageList(cut, width, height));
      disabledImages_.reset(MakeImageList(Greyed(cut), width, height));
    }
  }
  SendMessageA(hwnd_, TB_SETBITMAPSIZE, 0, MAKELONG(glyphSize, glyphSize));
  SendMessageA(hwnd_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));
  SendMessageA(hwnd_, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));
  SendMessageA(hwnd_, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabledImages_.get()));
  SendMessageA(hwnd_, TB_SETBUTTONSIZE, 0, MAKELONG(Scale(kButtonSize), Scale(kButtonSize)));
  // Separators (and the windows on them) keep their widths at the new density.
  for (const Button& b : buttons_) {
    if (b.args.separatorWidth <= 0) continue;
    TBBUTTONINFOA info{sizeof(info)};
    info.dwMask = TBIF_SIZE;
    info.cx = static_cast<WORD>(Scale(b.args.separatorWidth));
    SendMessageA(hwnd_, TB_SETBUTTONINFOA, b.id, reinterpret_cast<LPARAM>(&info));
  }
  if (buttons_.empty()) return;
  SendMessageA(hwnd_, TB_AUTOSIZE, 0, 0);
  PlaceControls();
  SIZE ideal = IdealSize();
  SetSize(ideal.cx, ideal.cy);
}

void ToolBar::AddButton(ButtonArgs args) {
  Button b{std::move(args), nextId_++};
  const ButtonArgs& a = b.args;
  TBBUTTON tb{};
  tb.idCommand = b.id;
  tb.iString = -1;
  if (a.separatorWidth > 0) {
    tb.iBitmap = Scale(a.separatorWidth);
    tb.fsStyle = BTNS_SEP;
  } else {
    tb.iBitmap = a.glyph >= 0 ? a.glyph : a.action ? a.action->Glyph() : I_IMAGENONE;
    if (tb.iBitmap < 0) tb.iBitmap = I_IMAGENONE;
    tb.fsStyle = a.toggle ? BTNS_CHECK : BTNS_BUTTON;
    tb.fsState = (!a.action || a.action->Enabled()) ? TBSTATE_ENABLED : 0;
    if (a.toggle && a.action && a.action->Checked()) tb.fsState |= TBSTATE_CHECKED;
  }
  if (!a.visible || (a.action && !a.action->Visible())) tb.fsState |= TBSTATE_HIDDEN;
  SendMessageA(hwnd_, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&tb));

  if (Action* action = a.action) {
    // Looked up by handle and id: a tool bar that is gone is skipped.
    action->AddObserver([hwnd = hwnd_, id = b.id, action] {
      auto* self = dynamic_cast<ToolBar*>(Window::FromHandle(hwnd));
      if (!self) return;
      for (const Button& x : self->buttons_) {
        if (x.id != id) continue;
        SendMessageA(hwnd, TB_ENABLEBUTTON, id, MAKELONG(action->Enabled(), 0));
        if (x.args.toggle) SendMessageA(hwnd, TB_CHECKBUTTON, id, MAKELONG(action->Checked(), 0));
        SendMessageA(hwnd, TB_HIDEBUTTON, id, MAKELONG(!(x.args.visible && action->Visible()), 0));
        self->PlaceControls();
        break;
      }
    });
  }
  buttons_.push_back(std::move(b));
  SIZE ideal = IdealSize();
  SetSize(ideal.cx, ideal.cy);
}

void ToolBar::AddControl(Window& control, int width) {
  ButtonArgs sep;
  sep.separatorWidth = std::max(1, width);
  AddButton(std::move(sep));
  buttons_.back().control = control.Handle();
  SetParent(control.Handle(), hwnd_);
  control.SetDesignPlacement(DesignPlacement::SizeOnly);
  PlaceControls();
  SIZE ideal = IdealSize();
  SetSize(ideal.cx, ideal.cy);
}

// Hiding or showing a button moves what follows it, the windows on separators included.
void ToolBar::PlaceControls() {
  for (const Button& b : buttons_) {
    if (!b.control || !IsWindow(b.control)) continue;
    RECT r{};
    SendMessageA(hwnd_, TB_GETRECT, b.id, reinterpret_cast<LPARAM>(&r));
    SetWindowPos(b.control, nullptr, r.left, r.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

const ToolBar::Button* ToolBar::Find(const std::string& name) const {
  if (name.empty()) return nullptr;
  for (const Button& b : buttons_)
    if (b.args.name == name) return &b;
  return nullptr;
}

bool ToolBar::Down(const std::string& name) const {
  const Button* b = Find(name);
  return b && SendMessageA(hwnd_, TB_ISBUTTONCHECKED, b->id, 0) != 0;
}

void ToolBar::SetDown(const std::string& name, bool down) {
  const Button* b = Find(name);
  if (!b) return;
  SendMessageA(hwnd_, TB_CHECKBUTTON, b->id, MAKELONG(down, 0));
  if (!down) return;
  for (const Button& o : buttons_)
    if (o.args.toggle && o.id != b->id)
      SendMessageA(hwnd_, TB_CHECKBUTTON, o.id, MAKELONG(FALSE, 0));
}

// comctl32 has already flipped the button when this runs; at most one toggle stays down, and one
// that may not be clicked up is put back down.
void ToolBar::ApplyToggle(Button& b, bool wasDown) {
  const int id = b.id;
  const bool allowAllUp = b.args.allowAllUp;
  auto run = b.args.onClick;  // copied: the handler may add buttons
  bool down = SendMessageA(hwnd_, TB_ISBUTTONCHECKED, id, 0) != 0;
  if (wasDown && !down && !allowAllUp) {
    SendMessageA(hwnd_, TB_CHECKBUTTON, id, MAKELONG(TRUE, 0));
    down = true;
  }
  if (down)
    for (const Button& o : buttons_)
      if (o.args.toggle && o.id != id)
        SendMessageA(hwnd_, TB_CHECKBUTTON, o.id, MAKELONG(FALSE, 0));
  if (run) run();
}

void ToolBar::Click(const std::string& name) {
  const Button* found = Find(name);
  if (!found || found->args.separatorWidth > 0) return;
  if (!SendMessageA(hwnd_, TB_ISBUTTONENABLED, found->id, 0)) return;
  Button& b = buttons_[static_cast<size_t>(found - buttons_.data())];
  if (b.args.toggle) {
    bool wasDown = Down(name);
    SendMessageA(hwnd_, TB_CHECKBUTTON, b.id, MAKELONG(!wasDown, 0));
    ApplyToggle(b, wasDown);
  } else if (Action* action = b.args.action) {
    action->Execute();
  } else if (b.args.onClick) {
    auto run = b.args.onClick;
    run();
  }
}

bool ToolBar::OnCommand(WORD code, WORD id) {
  for (Button& b : buttons_) {
    if (b.id != id || b.args.separatorWidth > 0) continue;
    if (b.args.toggle) {
      bool nowDown = SendMessageA(hwnd_, TB_ISBUTTONCHECKED, id, 0) != 0;
      ApplyToggle(b, !nowDown);
    } else if (Action* action = b.args.action) {
      action->Execute();
    } else if (b.args.onClick) {
      auto run = b.args.onClick;
      run();
    }
    return true;
  }
  return false;
}

bool ToolBar::ButtonVisible(const std::string& name) const {
  const Button* b = Find(name);
  return b && !SendMessageA(hwnd_, TB_ISBUTTONHIDDEN, b->id, 0);
}

bool ToolBar::ButtonEnabled(const std::string& name) const {
  const Button* b = Find(name);
  return b && SendMessageA(hwnd_, TB_ISBUTTONENABLED, b->id, 0);
}

int ToolBar::ButtonIndex(const std::string& name) const {
  const Button* b = Find(name);
  return b ? static_cast<int>(SendMessageA(hwnd_, TB_COMMANDTOINDEX, b->id, 0)) : -1;
}

RECT ToolBar::ButtonRect(const std::string& name) const {
  RECT r{};
  if (const Button* b = Find(name))
    SendMessageA(hwnd_, TB_GETRECT, b->id, reinterpret_cast<LPARAM>(&r));
  return r;
}

std::string ToolBar::HintAt(POINT client) const {
  int index =
      static_cast<int>(SendMessageA(hwnd_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&client)));
  if (index < 0) return {};
  TBBUTTON tb{};
  if (!SendMessageA(hwnd_, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&tb))) return {};
  for (const Button& b : buttons_)
    if (b.id == tb.idCommand) return b.args.separatorWidth > 0 ? std::string() : HintOf(b.args);
  return {};
}

SIZE ToolBar::IdealSize() const {
  SIZE size{};
  SendMessageA(hwnd_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
  size.cy = std::max<LONG>(size.cy, Scale(kButtonSize));
  for (const Button& b : buttons_) {
    if (!b.control || !IsWindow(b.control)) continue;
    RECT r{};
    GetWindowRect(b.control, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    size.cx = std::max(size.cx, r.right);
    size.cy = std::max(size.cy, r.bottom);
  }
  return size;
}

// The buttons' tooltips ask for their text through the tool bar; the answer is the short hint.
bool ToolBar::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->hwndFrom != hwnd_) return false;
  if (header->code != TBN_GETINFOTIPA && header->code != TBN_GETINFOTIPW) return false;
  int item = header->code == TBN_GETINFOTIPA ? reinterpret_cast<NMTBGETINFOTIPA*>(header)->iItem
                                             : reinterpret_cast<NMTBGETINFOTIPW*>(header)->iItem;
  std::string text;
  for (const Button& b : buttons_)
    if (b.id == item && b.args.separatorWidth == 0) text = ShortHint(HintOf(b.args));
  if (header->code == TBN_GETINFOTIPA) {
    auto* tip = reinterpret_cast<NMTBGETINFOTIPA*>(header);
    if (tip->pszText && tip->cchTextMax > 0) lstrcpynA(tip->pszText, text.c_str(), tip->cchTextMax);
  } else {
    auto* tip = reinterpret_cast<NMTBGETINFOTIPW*>(header);
    if (tip->pszText && tip->cchTextMax > 0) {
      int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, tip->pszText, tip->cchTextMax);
      if (n == 0) tip->pszText[tip->cchTextMax - 1] = L'\0';
    }
  }
  result = 0;
  return true;
}

// --- CoolBar ---

void CoolBar::Create(HWND parent) {
  CreateSystem(REBARCLASSNAMEA,
               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                   RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
               0, parent, 0, 0, 0, 0);
  SetDesignPlacement(DesignPlacement::None);  // it sits on its parent's top edge by itself
  REBARINFO info{sizeof(info), 0, nullptr};
  SendMessageA(hwnd_, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));
}

// Every band starts a row of its own, so the bands stack from top to bottom.
void CoolBar::AddBand(Window& child, int minHeight) {
  bandHeights_.push_back(minHeight);
  child.SetDesignPlacement(DesignPlacement::SizeOnly);
  REBARBANDINFOA band{};
  band.cbSize = REBARBANDINFOA_V6_SIZE;
  band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_SIZE;
  band.fStyle = RBBS_CHILDEDGE | RBBS_NOGRIPPER | RBBS_BREAK;
  band.hwndChild = child.Handle();
  band.cxMinChild = static_cast<UINT>(std::max(0, child.Width()));
  band.cyMinChild = static_cast<UINT>(std::max(0, Scale(minHeight)));
  band.cx = band.cxMinChild;
  SendMessageA(hwnd_, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void CoolBar::RefreshBands() {
  const int count = static_cast<int>(SendMessageA(hwnd_, RB_GETBANDCOUNT, 0, 0));
  for (int i = 0; i < count && i < static_cast<int>(bandHeights_.size()); ++i) {
    REBARBANDINFOA band{};
    band.cbSize = REBARBANDINFOA_V6_SIZE;
    band.fMask = RBBIM_CHILD;
    if (!SendMessageA(hwnd_, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band))) continue;
    RECT child{};
    GetWindowRect(band.hwndChild, &child);
    band.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE;
    band.cxMinChild = static_cast<UINT>(std::max<LONG>(0, child.right - child.left));
    band.cyMinChild = static_cast<UINT>(std::max(0, Scale(bandHeights_[i])));
    band.cx = band.cxMinChild;
    SendMessageA(hwnd_, RB_SETBANDINFOA, i, reinterpret_cast<LPARAM>(&band));
  }
}

void CoolBar::SetBandMinHeight(int index, int minHeight) {
  REBARBANDINFOA band{};
  band.cbSize = REBARBANDINFOA_V6_SIZE;
  band.fMask = RBBIM_CHILDSIZE;
  if (!SendMessageA(hwnd_, RB_GETBANDINFOA, index, reinterpret_cast<LPARAM>(&band))) return;
  band.cyMinChild = static_cast<UINT>(std::max(0, minHeight));
  SendMessageA(hwnd_, RB_SETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
  if (index >= 0 && index < static_cast<int>(bandHeights_.size()))
    bandHeights_[index] = MulDiv(minHeight, kDesignDpi, Dpi());
}

int CoolBar::BarHeight() const {
  int h = static_cast<int>(SendMessageA(hwnd_, RB_GETBARHEIGHT, 0, 0));
  return h > 0 ? h : Height();
}

bool CoolBar::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->hwndFrom != hwnd_ || header->code != RBN_HEIGHTCHANGE) return false;
  if (onHeightChange) {
    auto run = onHeightChange;
    run();
  }
  result = 0;
  return true;
}

}  // namespace qtk

#include "toolkit/dialog_keys.h"

#include <vector>

namespace qtk {

namespace {

LONG Style(HWND h) { return GetWindowLongA(h, GWL_STYLE); }

// Judged by the window's own style bits, so that the walk also works while the form is hidden.
bool Usable(HWND h) { return (Style(h) & WS_VISIBLE) && !(Style(h) & WS_DISABLED); }

UINT ButtonType(HWND h) {
  char cls[16] = {};
  GetClassNameA(h, cls, sizeof cls);
  return lstrcmpiA(cls, "Button") == 0 ? static_cast<UINT>(Style(h) & BS_TYPEMASK) : ~0u;
}

bool IsRadio(HWND h) {
  UINT type = ButtonType(h);
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

bool IsPushButton(HWND h) {
  UINT type = ButtonType(h);
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool Checked(HWND h) { return SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The usable radio buttons among h's siblings from the WS_GROUP at or before h to the next one.
std::vector<HWND> RadioGroupOf(HWND h) {
  HWND first = h;
  while (!(Style(first) & WS_GROUP))
    if (HWND prev = GetWindow(first, GW_HWNDPREV))
      first = prev;
    else
      break;
  std::vector<HWND> group;
  for (HWND s = first; s; s = GetWindow(s, GW_HWNDNEXT)) {
    if (s != first && (Style(s) & WS_GROUP)) break;
    if (IsRadio(s) && Usable(s)) group.push_back(s);
  }
  return group;
}

bool IsTabStop(HWND h) {
  if (!IsRadio(h)) return Style(h) & WS_TABSTOP;
  // A radio group is one stop: the checked button, or the first when none is checked.
  std::vector<HWND> group = RadioGroupOf(h);
  for (HWND b : group)
    if (Checked(b)) return b == h;
  return !group.empty() && group.front() == h;
}

struct Item {
  HWND hwnd;
  bool stop;
};

// Every usable control in creation order; containers that are no stop themselves are entered.
void Collect(HWND parent, std::vector<Item>& out) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!Usable(c)) continue;
    bool stop = IsTabStop(c);
    out.push_back({c, stop});
    if (!stop) Collect(c, out);
  }
}

bool Pressed(int key) { return GetKeyState(key) < 0; }

bool MoveInRadioGroup(HWND focus, bool backwards) {
  std::vector<HWND> group = RadioGroupOf(focus);
  const int n = static_cast<int>(group.size());
  int at = 0;
  while (at < n && group[at] != focus) ++at;
  if (n < 2 || at == n) return true;
  HWND next = group[(at + (backwards ? n - 1 : 1)) % n];
  ::SetFocus(next);
  if (ButtonType(next) == BS_AUTORADIOBUTTON && !Checked(next)) SendMessageA(next, BM_CLICK, 0, 0);
  return true;
}

}  // namespace

HWND NextTabStop(HWND form, HWND from, bool backwards) {
  std::vector<Item> items;
  Collect(form, items);
  const int n = static_cast<int>(items.size());
  // Start from `from`, or from the control it belongs to (the edit inside a combo box).
  int at = -1;
  for (HWND h = from; h && h != form && at < 0; h = GetParent(h))
    for (int i = 0; i < n; ++i)
      if (items[i].hwnd == h) at = i;
  if (at < 0) at = backwards ? n : -1;
  for (int k = 1; k <= n; ++k) {
    int i = ((at + (backwards ? -k : k)) % n + n) % n;
    if (items[i].stop) return items[i].hwnd;
  }
  return nullptr;
}

bool HandleDialogKey(HWND form, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || Pressed(VK_CONTROL) || Pressed(VK_MENU)) return false;
  HWND focus = GetFocus();
  if (!focus || (focus != form && !IsChild(form, focus))) return false;
  // No MSG in lParam: an edit given one believes it sits in a dialog and posts WM_CLOSE on Esc.
  const LRESULT wants = SendMessageA(focus, WM_GETDLGCODE, msg.wParam, 0);
  switch (msg.wParam) {
    case VK_TAB: {
      if (wants & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
      HWND next = NextTabStop(form, focus, Pressed(VK_SHIFT));
      if (!next) return false;
      ::SetFocus(next);
      if (SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageA(next, EM_SETSEL, 0, -1);
      return true;
    }
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      if (!IsRadio(focus) || (wants & (DLGC_WANTARROWS | DLGC_WANTALLKEYS))) return false;
      return MoveInRadioGroup(focus, msg.wParam == VK_LEFT || msg.wParam == VK_UP);
    case VK_RETURN:
      if (!IsPushButton(focus)) return false;
      SendMessageA(focus, BM_CLICK, 0, 0);
      return true;
    default:
      return false;
  }
}

}  // namespace qtk

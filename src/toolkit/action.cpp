#include "toolkit/action.h"

#include "toolkit/app.h"

namespace qtk {

Action::Action(Args args) : args_(std::move(args)) {
  id_ = Application::Get().RegisterCommand([this] { Execute(); }, args_.hint, args_.id);
}

Action::~Action() { Application::Get().UnregisterCommand(id_); }

void Action::Execute() {
  if (enabled_ && onExecute) onExecute();
}

void Action::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Notify();
}

void Action::SetChecked(bool checked) {
  if (checked_ == checked) return;
  checked_ = checked;
  Notify();
}

void Action::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Notify();
}

void Action::Notify() {
  for (auto& o : observers_) o();
}

HACCEL CreateAccelerators(const std::vector<Action*>& actions) {
  std::vector<ACCEL> table;
  for (Action* a : actions) {
    const auto id = static_cast<WORD>(a->CommandId());
    if (a->ShortcutKey()) table.push_back(ACCEL{FCONTROL | FVIRTKEY, a->ShortcutKey(), id});
    if (a->ShiftShortcutKey())
      table.push_back(ACCEL{FCONTROL | FSHIFT | FVIRTKEY, a->ShiftShortcutKey(), id});
  }
  return table.empty() ? nullptr
                       : CreateAcceleratorTableA(table.data(), static_cast<int>(table.size()));
}

std::string ShortcutText(WORD key) {
  return key ? std::string("Ctrl+") + static_cast<char>(key) : "";
}

Menu::Menu(Kind kind, std::vector<MenuEntry> entries) : kind_(kind), entries_(std::move(entries)) {
  menu_.reset(kind_ == Kind::Bar ? CreateMenu() : CreatePopupMenu());
  std::vector<MenuEntry*> stack;
  for (auto& e : entries_) stack.push_back(&e);
  while (!stack.empty()) {
    MenuEntry* e = stack.back();
    stack.pop_back();
    if (e->action) e->action->AddObserver([this] { Rebuild(); });
    // A plain item runs under an id of its own; an action's item under the action's.
    if (!e->separator && e->children.empty() && !e->action) {
      e->id = Application::Get().RegisterCommand(e->onClick, e->hint);
      ownIds_.push_back(e->id);
    }
    for (auto& c : e->children) stack.push_back(&c);
  }
  Rebuild();
}

Menu::~Menu() {
  for (unsigned id : ownIds_) Application::Get().UnregisterCommand(id);
}

// Win32 menus have no hidden items: the menu is filled anew whenever an action changes, with
// the same command ids every time.
void Menu::Rebuild() {
  while (GetMenuItemCount(menu_.get()) > 0) DeleteMenu(menu_.get(), 0, MF_BYPOSITION);
  Fill(menu_.get(), entries_);
  if (owner_ && kind_ == Kind::Bar) DrawMenuBar(owner_);
}

void Menu::Fill(HMENU menu, std::vector<MenuEntry>& entries) {
  for (auto& e : entries) {
    if (e.separator) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    if (!e.children.empty()) {
      HMENU sub = CreatePopupMenu();
      Fill(sub, e.children);
      AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), e.caption.c_str());
      continue;
    }
    if (e.action) {
      if (!e.action->Visible()) continue;
      std::string text = e.action->Caption();
      if (e.action->ShortcutKey()) text += "\t" + ShortcutText(e.action->ShortcutKey());
      UINT flags = MF_STRING | (e.action->Enabled() ? MF_ENABLED : MF_GRAYED);
      AppendMenuA(menu, flags, e.action->CommandId(), text.c_str());
      continue;
    }
    AppendMenuA(menu, MF_STRING, e.id, e.caption.c_str());
  }
}

void Menu::Popup(HWND owner, int screenX, int screenY) {
  SetForegroundWindow(owner);
  TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenX, screenY, 0,
                 owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
}

std::vector<std::string> MenuCaptions(HMENU menu) {
  std::vector<std::string> out;
  int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    char buf[256] = {};
    MENUITEMINFOA mi{sizeof(mi)};
    mi.fMask = MIIM_FTYPE | MIIM_STRING;
    mi.dwTypeData = buf;
    mi.cch = sizeof(buf) - 1;
    GetMenuItemInfoA(menu, i, TRUE, &mi);
    out.push_back((mi.fType & MFT_SEPARATOR) ? "-" : std::string(buf));
  }
  return out;
}

std::vector<std::string> Menu::VisibleCaptions() const { return MenuCaptions(menu_.get()); }

unsigned Menu::CommandOf(const std::string& name) const {
  std::vector<std::pair<HMENU, const std::vector<MenuEntry>*>> menus{{menu_.get(), &entries_}};
  while (!menus.empty()) {
    auto [hm, list] = menus.back();
    menus.pop_back();
    int pos = 0;
    for (const auto& e : *list) {
      if (e.action && !e.action->Visible()) continue;
      if (!e.children.empty()) menus.push_back({GetSubMenu(hm, pos), &e.children});
      if (e.name == name && !e.separator) return GetMenuItemID(hm, pos);
      ++pos;
    }
  }
  return 0;
}

}  // namespace qtk

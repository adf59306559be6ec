#include "support/gui_objects.h"

#include <vector>

namespace quillora::testing_support {
namespace {

// The process's PEB, through ntdll's NtQueryInformationProcess (ProcessBasicInformation).
ULONG_PTR PebOf(HANDLE process) {
  struct Basic {
    LONG exitStatus;
    ULONG_PTR peb, affinity, priority, id, parent;
  } basic{};
  using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  if (!query || query(process, 0, &basic, sizeof basic, nullptr) != 0) return 0;
  return basic.peb;
}

long GdiTableEntries(HANDLE process) {
  constexpr size_t kTableOffset = 0xF8;  // PEB.GdiSharedHandleTable (64-bit)
  struct Entry {
    UINT64 object;
    USHORT processId, lock;
    USHORT unique;
    UCHAR type, flags;
    UINT64 user;
  };
  static_assert(sizeof(Entry) == 24);
  const ULONG_PTR peb = PebOf(process);
  ULONG_PTR table = 0;
  if (!peb ||
      !ReadProcessMemory(process, reinterpret_cast<void*>(peb + kTableOffset), &table, sizeof table,
                         nullptr) ||
      !table)
    return -1;
  std::vector<Entry> entries(0x10000);
  SIZE_T read = 0;
  ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(),
                    entries.size() * sizeof(Entry), &read);
  if (read < sizeof(Entry)) return -1;
  // Windows shares one table among processes and names each entry's owner; Wine keeps one table a
  // process and leaves the owner zero.
  const USHORT self = static_cast<USHORT>(GetProcessId(process));
  long live = 0;
  for (size_t i = 0; i < read / sizeof(Entry); ++i)
    if (entries[i].type && (!entries[i].processId || entries[i].processId == self)) ++live;
  return live;
}

// Live USER handles of the session. The handle table reuses a freed slot before it takes a new
// one, so accelerator tables made until the slots come new and ascending have taken every free
// slot below the top: live = top slot + 1 - tables made.
long SessionUserHandles() {
  ACCEL accel{FVIRTKEY, 'A', 1};
  std::vector<HACCEL> made;
  long top = -1, run = 0;
  while (run < 256 && made.size() < 40000) {
    HACCEL h = CreateAcceleratorTableA(&accel, 1);
    if (!h) break;
    made.push_back(h);
    const long slot = (LOWORD(reinterpret_cast<ULONG_PTR>(h)) - 0x20) / 2;
    run = slot == top + 1 ? run + 1 : 0;
    top = std::max(top, slot);
  }
  const long live = run >= 256 ? top + 1 - static_cast<long>(made.size()) : -1;
  for (HACCEL h : made) DestroyAcceleratorTable(h);
  return live;
}

}  // namespace

GuiObjects CountGuiObjects(HANDLE process) {
  GuiObjects counts;
  counts.gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
  counts.user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
  if (counts.gdi > 0 && counts.user > 0) {
    counts.how = "GetGuiResources";
    return counts;
  }
  counts.gdi = GdiTableEntries(process);
  counts.user = SessionUserHandles();
  counts.how = "GDI: the process's handle table; USER: the session's live handles";
  return counts;
}

}  // namespace quillora::testing_support

#pragma once
// The GDI and USER objects a process holds, read from outside it.
#include <windows.h>

namespace quillora::testing_support {

struct GuiObjects {
  long gdi = -1;  // -1: could not be read
  long user = -1;
  const char* how = "";  // which way the figures were read
};

// GetGuiResources where the system answers it. Where it does not (Wine), the GDI figure is the
// number of live entries of the process's GDI handle table (the PEB's GdiSharedHandleTable, read
// with ReadProcessMemory), and the USER figure the number of live USER handles of the whole
// session (windows, menus, icons, cursors, hooks of every process), found by taking the free
// slots of the handle table with accelerator tables until new ones come, then giving them back.
GuiObjects CountGuiObjects(HANDLE process);

}  // namespace quillora::testing_support

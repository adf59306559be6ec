// Loading a busy placeable WMF of 1122 x 794 pixels through the player process, beside the same
// playback in this process (what the player does, without the process) and the former
// in-process load (the system's conversion to an enhanced metafile, then the EMF player).
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/bench.h"
#include "editor/editor.h"
#include "toolkit/bitmap.h"
#include "toolkit/metafile.h"

namespace quillora::bench {

namespace {

constexpr int kUnitsX = 14031, kUnitsY = 9921, kUnitsPerInch = 1200;  // 1122 x 794 at 96 dpi

// The system's recorder draws a page of lines, hatched boxes, ellipses and text.
std::string BusyWindowsMetafile() {
  HDC dc = CreateMetaFileA(nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, kUnitsX, kUnitsY, nullptr);
  for (int i = 0; i < 400; ++i) {
    HPEN pen = CreatePen(PS_SOLID, 1 + i % 5, RGB(i * 7, i * 13, i * 29));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, (i * 131) % kUnitsX, (i * 71) % kUnitsY, nullptr);
    LineTo(dc, (i * 337) % kUnitsX, (i * 193) % kUnitsY);
    HBRUSH brush = CreateHatchBrush(i % 6, RGB(i * 3, 255 - i % 256, i * 11));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    const int x = (i * 211) % (kUnitsX - 900), y = (i * 97) % (kUnitsY - 700);
    if (i % 2)
      Rectangle(dc, x, y, x + 900, y + 600);
    else
      Ellipse(dc, x, y, x + 700, y + 700);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteObject(pen);
    if (i % 4 == 0) TextOutA(dc, x, y, "Quillora metafile", 17);
  }
  HMETAFILE mf = CloseMetaFile(dc);
  std::string bits(GetMetaFileBitsEx(mf, 0, nullptr), '\0');
  GetMetaFileBitsEx(mf, static_cast<UINT>(bits.size()), reinterpret_cast<BYTE*>(bits.data()));
  DeleteMetaFile(mf);
  return bits;
}

std::string Placeable(const std::string& wmf) {
  std::string h;
  auto w16 = [&h](int v) { h.append({char(v & 0xFF), char((v >> 8) & 0xFF)}); };
  w16(0xCDD7), w16(0x9AC6), w16(0), w16(0), w16(0), w16(kUnitsX), w16(kUnitsY), w16(kUnitsPerInch),
      w16(0), w16(0);
  uint16_t sum = 0;
  for (size_t i = 0; i < h.size(); i += 2) sum ^= uint16_t(uint8_t(h[i]) | uint8_t(h[i + 1]) << 8);
  w16(sum);
  return h + wmf;
}

}  // namespace

int RunMetafile(const std::vector<std::string>& args) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string path = args.size() > 1 ? args[1] : std::string(temp) + "qbench_busy.wmf";
  const std::string wmf = BusyWindowsMetafile();
  if (args.size() <= 1) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string file = Placeable(wmf);
    DWORD written = 0;
    WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(h);
  }
  const qtk::MetafileBits metafile = qtk::ReadMetafileFile(path);
  const int w = metafile.width, h = metafile.height;

  TScrivletForm1 editor;
  editor.Create("");
  const double loadMs = BestOf(5, [&] { editor.LoadPicture(path); });

  // The player's own work, here: a fresh surface, the WMF player through the header's box.
  const double inProcessMs = BestOf(5, [&] {
    qtk::Bitmap into(w, h);
    HMETAFILE mf = SetMetaFileBitsEx(static_cast<UINT>(metafile.bytes.size()),
                                     reinterpret_cast<const BYTE*>(metafile.bytes.data()));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, into.Handle());
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, kUnitsX, kUnitsY, nullptr);
    SetViewportExtEx(dc, w, h, nullptr);
    PlayMetaFile(dc, mf);
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteMetaFile(mf);
  });
  // The former load: the conversion, then the EMF player onto the picture's own surface. Not on
  // a file given from outside: the converter may fault on it (that is why it went).
  const double formerMs = args.size() > 1 ? 0 : BestOf(5, [&] {
    qtk::Bitmap into(w, h);
    qtk::WindowDC screen(nullptr);
    METAFILEPICT pict{MM_ANISOTROPIC, MulDiv(kUnitsX, 2540, kUnitsPerInch),
                      MulDiv(kUnitsY, 2540, kUnitsPerInch), nullptr};
    HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(metafile.bytes.size()),
                                          reinterpret_cast<const BYTE*>(metafile.bytes.data()),
                                          screen.get(), &pict);
    RECT all{0, 0, w, h};
    PlayEnhMetaFile(into.DC(), emf, &all);
    GdiFlush();
    DeleteEnhMetaFile(emf);
  });
  // What the process costs alone: the player started, fed and ended on a 1 x 1 picture.
  qtk::MetafileBits tiny = metafile;
  tiny.bytes = wmf.substr(0, 18) + std::string("\x03\0\0\0\0\0", 6);      // header, end record
  tiny.bytes[6] = 12, tiny.bytes[7] = tiny.bytes[8] = tiny.bytes[9] = 0;  // size in words
  qtk::Bitmap dot(1, 1);
  const double startMs = BestOf(5, [&] { qtk::PlayMetafile(tiny, dot); });

  std::printf("picture %dx%d, %zu bytes of records\n", w, h, metafile.bytes.size());
  Report("metafile load (LoadPicture)", loadMs, "the goal", 500, 1.0);
  if (formerMs > 0)
    Report("metafile load (LoadPicture)", loadMs, "former in-process load", formerMs, 1e9);
  Report("  player start and end, 1 x 1", startMs, "in-process playback", inProcessMs, 1e9);
  if (formerMs > 0)
    Report("  in-process playback", inProcessMs, "former in-process load", formerMs, 1e9);
  return 0;
}

}  // namespace quillora::bench

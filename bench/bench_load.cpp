// Loading a 4K JPEG and BMP, and the composition pass over an empty document.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "annotations/logic/line_record.h"
#include "bench/bench.h"
#include "editor/editor.h"
#include "toolkit/bitmap.h"

namespace quillora::bench {

int RunLoad(const std::vector<std::string>& args) {
  if (args.size() < 4) {
    std::fprintf(stderr, "usage: load FILE.jpg FILE.bmp TJBENCH_DECODE_MS\n");
    return 2;
  }
  const std::string& jpg = args[1];
  const std::string& bmp = args[2];
  const double decodeMs = std::atof(args[3].c_str());

  TScrivletForm1 editor;
  editor.Create("");
  // The first load pays for touching a fresh frame's memory as the decoder writes it: its floor
  // is the codec's decode and one fresh frame made and written, measured here in the same run.
  // A picture without marks needs no second frame.
  double firstMs = BestOf(1, [&] { editor.LoadPicture(jpg); });
  const int width = editor.doc.Base().Width(), height = editor.doc.Base().Height();
  double freshMs = 1e30;
  for (int i = 0; i < 3; ++i) {
    qtk::Bitmap fresh;
    freshMs = std::min(freshMs, BestOf(1, [&] {
                         const qtk::PixelBuffer px = fresh.Allocate(width, height);
                         std::memset(px.bits, 0x80, px.stride * static_cast<size_t>(px.height));
                       }));
  }
  Report("JPEG load, first (LoadPicture)", firstMs, "tjbench decode + a fresh frame",
         decodeMs + freshMs, 1.3);
  // Later loads decode into the frame of a picture that left the history, once it is full.
  double jpegMs = BestOf(9, [&] { editor.LoadPicture(jpg); });
  Report("JPEG load, again (LoadPicture)", jpegMs, "tjbench decode, same file", decodeMs, 1.15);

  // Where the time goes: the codec alone into a frame it has written before (what tjbench
  // times), and the file's bytes.
  {
    qtk::Bitmap warm;
    for (int i = 0; i < 3; ++i) warm.ReadJpegFile(jpg, false);
    Report("  read and decode into a warm frame", BestOf(9, [&] { warm.ReadJpegFile(jpg, false); }),
           "tjbench decode, same file", decodeMs, 1e9);
    Report("  of which mapping the file", BestOf(9, [&] { qtk::MappedFile file(jpg); }),
           "tjbench decode, same file", decodeMs, 1e9);
    Report("  a fresh frame, made and written", freshMs, "tjbench decode, same file", decodeMs,
           1e9);
  }

  double bmpMs = BestOf(5, [&] { editor.LoadPicture(bmp); });
  const size_t frame = editor.doc.Base().Stride() * static_cast<size_t>(height);
  std::vector<uint8_t> a(frame, 1), b(frame, 2);
  double copyMs = BestOf(10, [&] { std::memcpy(b.data(), a.data(), frame); });
  Report("BMP load (LoadPicture)", bmpMs, "one bare frame copy", copyMs, 1e9);

  editor.doc.AddLine(LineRecord{10, 10, 200, 100, 3, qtk::clRed, false});
  editor.ComposePicture();
  double composeMs = BestOf(20, [&] { editor.ComposeFull(); });
  Report("whole pass, one line", composeMs, "one bare frame copy", copyMs, 1.5);
  editor.ClearAnnotations();
  editor.ComposePicture();
  std::printf("picture %dx%d\n", width, height);
  return 0;
}

namespace {

double ResidentMb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return static_cast<double>(counters.WorkingSetSize) / (1 << 20);
}

}  // namespace

// The memory that opening picture after picture keeps, measured as the resident size above a
// fresh editor's: a picture without marks is one frame; after five opens, one frame and the
// pictures the history keeps. The history never holds more than its budget.
int RunMemory(const std::vector<std::string>& args) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: memory FILE.jpg\n");
    return 2;
  }
  TScrivletForm1 editor;
  editor.Create("");
  const double empty = ResidentMb();
  double mostHeldMb = 0;
  editor.LoadPicture(args[1]);
  const double oneFrameMb =
      static_cast<double>(editor.doc.Base().Stride() * editor.doc.Base().Height()) / (1 << 20);
  Report("resident after one open", ResidentMb() - empty, "one frame + 16 MB", oneFrameMb + 16, 1.0,
         "MB");
  for (int i = 1; i < 5; ++i) {
    editor.LoadPicture(args[1]);
    mostHeldMb =
        std::max(mostHeldMb, static_cast<double>(editor.doc.HeldPictureBytes()) / (1 << 20));
  }
  const double heldMb = static_cast<double>(editor.doc.HeldPictureBytes()) / (1 << 20);
  std::printf("after five opens of %dx%d: %.1f MB above the empty start, %zu steps to undo\n",
              editor.doc.Base().Width(), editor.doc.Base().Height(), ResidentMb() - empty,
              editor.doc.UndoSteps());
  Report("history's pictures, most held", mostHeldMb, "the history's budget",
         static_cast<double>(Document::kPictureBudget) / (1 << 20), 1.0, "MB");
  Report("resident above the start", ResidentMb() - empty, "one frame + pictures kept + 16 MB",
         oneFrameMb + heldMb + 16, 1.0, "MB");
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args[0] == "memory") return RunMemory(args);
  if (args[0] == "load") return RunLoad(args);
  if (args[0] == "drag") return RunDrag(args);
  if (args[0] == "save") return RunSave(args);
  if (args[0] == "metafile") return RunMetafile(args);
  if (args[0] == "png") return RunPng(args);
  std::fprintf(stderr, "unknown benchmark %s\n", args[0].c_str());
  return 2;
}

}  // namespace quillora::bench

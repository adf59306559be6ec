// Loading a 4K JPEG and BMP, and the composition pass over an empty document.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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
  // The first load also pays for touching a fresh frame's memory; later ones of the same size
  // decode into the frame kept from before.
  double firstMs = BestOf(1, [&] { editor.LoadPicture(jpg); });
  Report("JPEG load, first (LoadPicture)", firstMs, "tjbench decode, same file", decodeMs, 1.5);
  double jpegMs = BestOf(9, [&] { editor.LoadPicture(jpg); });
  Report("JPEG load, again (LoadPicture)", jpegMs, "tjbench decode, same file", decodeMs, 1.2);

  // Where the first load's time goes: the codec alone into a frame it has written before (what
  // tjbench times), and the first touch of a fresh 4K frame, which a first load pays twice (the
  // decoded picture and the composed one).
  {
    qtk::Bitmap warm;
    for (int i = 0; i < 3; ++i) warm.ReadJpegFile(jpg, false);
    Report("  read and decode into a warm frame", BestOf(9, [&] { warm.ReadJpegFile(jpg, false); }),
           "tjbench decode, same file", decodeMs, 1e9);
    Report("  of which reading the file", BestOf(9, [&] { qtk::ReadWholeFile(jpg); }),
           "tjbench decode, same file", decodeMs, 1e9);
    // A fresh frame's pages are touched as it is made.
    qtk::Bitmap fresh;
    qtk::PixelBuffer px;
    const double firstTouch = BestOf(1, [&] {
      px = fresh.Allocate(editor.doc.Base().Width(), editor.doc.Base().Height());
      std::memset(px.bits, 0x80, px.stride * static_cast<size_t>(px.height));
    });
    Report(
        "  a fresh frame, made and written", firstTouch, "same frame written again",
        BestOf(5, [&] { std::memset(px.bits, 0x81, px.stride * static_cast<size_t>(px.height)); }),
        1e9);
  }

  double bmpMs = BestOf(5, [&] { editor.LoadPicture(bmp); });
  const size_t frame = editor.composedImage.Stride() * editor.composedImage.Height();
  std::vector<uint8_t> a(frame, 1), b(frame, 2);
  double copyMs = BestOf(10, [&] { std::memcpy(b.data(), a.data(), frame); });
  Report("BMP load (LoadPicture)", bmpMs, "one bare frame copy", copyMs, 1e9);

  double composeMs = BestOf(20, [&] { editor.ComposeFull(); });
  Report("whole pass, empty document", composeMs, "two bare frame copies", 2 * copyMs, 1.5);
  std::printf("picture %dx%d\n", editor.composedImage.Width(), editor.composedImage.Height());
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

// The memory that opening picture after picture keeps: the document's two frames and the
// pictures its history keeps, measured as the resident size above a fresh editor's. The history
// never holds more than its budget.
int RunMemory(const std::vector<std::string>& args) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: memory FILE.jpg\n");
    return 2;
  }
  TScrivletForm1 editor;
  editor.Create("");
  const double empty = ResidentMb();
  double mostHeldMb = 0;
  for (int i = 0; i < 5; ++i) {
    editor.LoadPicture(args[1]);
    mostHeldMb =
        std::max(mostHeldMb, static_cast<double>(editor.doc.HeldPictureBytes()) / (1 << 20));
  }
  const double frameMb =
      static_cast<double>(editor.composedImage.Stride() * editor.composedImage.Height()) /
      (1 << 20);
  const double heldMb = static_cast<double>(editor.doc.HeldPictureBytes()) / (1 << 20);
  std::printf("after five opens of %dx%d: %.1f MB above the empty start, %zu steps to undo\n",
              editor.composedImage.Width(), editor.composedImage.Height(), ResidentMb() - empty,
              editor.doc.UndoSteps());
  Report("history's pictures, most held", mostHeldMb, "the history's budget",
         static_cast<double>(Document::kPictureBudget) / (1 << 20), 1.0, "MB");
  Report("resident above the start", ResidentMb() - empty, "two frames + pictures kept + 16 MB",
         2 * frameMb + heldMb + 16, 1.0, "MB");
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

// Saving a 4K composed picture as JPEG and as BMP, beside libjpeg-turbo's own compression figure
// and a bare write of the same size.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "editor/editor.h"
#include "toolkit/logic/jpeg_codec.h"

namespace quillora::bench {

namespace {

std::string TempFolder() {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  std::string folder = std::string(base) + "qbench" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// One file written with a single call, as a writer with no work of its own would do it.
void BareWrite(const std::string& path, const std::vector<uint8_t>& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

LONGLONG FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int RunSave(const std::vector<std::string>& args) {
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: save FILE.bmp TJBENCH_COMPRESS_MS\n");
    return 2;
  }
  const std::string& bmp = args[1];
  const double compressMs = std::atof(args[2].c_str());

  TScrivletForm1 editor;
  editor.Create("");
  editor.LoadPicture(bmp);  // the same pixels cjpeg reads from the PPM
  const std::string folder = TempFolder();
  const std::string jpg = folder + "\\save.jpg", out = folder + "\\save.bmp",
                    bare = folder + "\\bare.bin";

  editor.doc.SetFileName(jpg);
  double jpegMs = BestOf(9, [&] { editor.SaveJpeg(); });
  Report("JPEG save (SaveJpeg)", jpegMs, "tjbench compress, q 90, 4:2:0", compressMs, 1.2);

  // Where the time goes: the encoder alone, its output thrown away, against the same anchor.
  const qtk::PixelBuffer pixels = editor.view.Picture().View();
  Report("  encode alone, into memory",
         BestOf(9, [&] { qtk::jpeg::Encode(pixels, [](const uint8_t*, size_t) {}); }),
         "tjbench compress, q 90, 4:2:0", compressMs, 1e9);

  editor.doc.SetFileName(out);
  double bmpMs = BestOf(5, [&] { editor.SaveBitmap(); });
  const size_t size = static_cast<size_t>(FileSize(out));
  std::vector<uint8_t> bytes(size, 0x5A);
  double bareMs = BestOf(5, [&] { BareWrite(bare, bytes); });
  Report("BMP save (SaveBitmap)", bmpMs, "one bare write, same size", bareMs, 1.5);
  std::printf("picture %dx%d, JPEG %lld bytes, BMP %zu bytes\n", editor.view.Picture().Width(),
              editor.view.Picture().Height(), FileSize(jpg), size);

  for (const std::string& f : {jpg, out, bare}) DeleteFileA(f.c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}

}  // namespace quillora::bench

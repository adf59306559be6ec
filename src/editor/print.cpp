// Printing the composed picture on one page.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "editor/editor.h"
#include "editor/logic/print_layout.h"
#include "toolkit/error.h"

namespace quillora {

namespace {

// Ends the page and the job when a step between them fails; the normal path ends it itself so
// that an error of the ending reaches the error display.
class JobGuard {
 public:
  explicit JobGuard(qtk::Printer& printer) : printer_(printer) {}
  ~JobGuard() {
    if (!printer_.Printing()) return;
    try {
      printer_.EndDoc();
    } catch (...) {
      // The error that got us here is the one to show.
    }
  }
  JobGuard(const JobGuard&) = delete;
  JobGuard& operator=(const JobGuard&) = delete;

 private:
  qtk::Printer& printer_;
};

// Header and pixels of a picture in its own format: 24 bits, uncompressed, no colour table,
// rows of width * 3 bytes padded to 4, bottom row first. Both blocks start zero-filled.
struct DibCopy {
  std::vector<uint8_t> header;
  std::vector<uint8_t> pixels;
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(header.data()); }
};

DibCopy CopyPixels(const qtk::Bitmap& picture) {
  const int w = picture.Width(), h = picture.Height();
  DibCopy dib;
  dib.header.assign(sizeof(BITMAPINFOHEADER), 0);
  auto* info = reinterpret_cast<BITMAPINFOHEADER*>(dib.header.data());
  info->biSize = sizeof(BITMAPINFOHEADER);
  info->biWidth = w;
  info->biHeight = h;
  info->biPlanes = 1;
  info->biBitCount = 24;
  info->biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  dib.pixels.assign(stride * static_cast<size_t>(h), 0);
  info->biSizeImage = static_cast<DWORD>(dib.pixels.size());

  qtk::WindowDC screen(nullptr);
  if (GetDIBits(screen.get(), picture.Handle(), 0, static_cast<UINT>(h), dib.pixels.data(),
                reinterpret_cast<BITMAPINFO*>(dib.header.data()), DIB_RGB_COLORS) == 0)
    qtk::ThrowCallFailed("印刷する画像を取り出せません", "GetDIBits");
  return dib;
}

}  // namespace

void TScrivletForm1::ActPrintExecute() {
  if (!PrintDialog1.Execute(Handle(), printer)) return;
  // After the dialog, so that the tool bar's box overrides the dialog's orientation.
  printer.SetLandscape(CheckBox2.Checked());
  printer.BeginDoc();
  JobGuard job(printer);

  const qtk::Bitmap& picture = WrittenPicture();
  const int32_t w = picture.Width(), h = picture.Height();
  const PrintTarget target = FitToPage(w, h, printer.PageWidth(), printer.PageHeight());
  {
    const DibCopy dib = CopyPixels(picture);
    StretchDIBits(printer.Handle(), 0, 0, target.width, target.height, 0, 0, w, h,
                  dib.pixels.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY);
  }
  printer.EndDoc();
}

}  // namespace quillora

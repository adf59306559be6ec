#include "toolkit/picture_preview.h"

#include <cstdio>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

#include "toolkit/logic/bmp_codec.h"
#include "toolkit/logic/fit_size.h"
#include "toolkit/logic/jpeg_codec.h"
#include "toolkit/metafile.h"

namespace qtk {

namespace {

// Files beyond this are not read for a preview: the pane would stay empty for seconds anyway.
constexpr ULONGLONG kMaxPreviewFile = 256ull << 20;

// Where the readers write: 24-bit rows padded as a DIB wants them.
struct Pixels {
  std::vector<uint8_t> bytes;
  PixelBuffer view;
  PixelAllocator Allocator() {
    return [this](int32_t w, int32_t h) {
      view = {w, h, bmp::Stride24(w), nullptr};
      bytes.resize(view.stride * static_cast<size_t>(h));
      view.bits = bytes.data();
      return view;
    };
  }
};

ULONGLONG FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return ~0ull;
  return (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::unique_ptr<Bitmap> Shrunk(const Pixels& px, int boxWidth, int boxHeight) {
  const FitSize fit = FitWithin(px.view.width, px.view.height, boxWidth, boxHeight);
  auto out = std::make_unique<Bitmap>(fit.width, fit.height);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = px.view.width;
  info.bmiHeader.biHeight = -px.view.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(out->DC(), HALFTONE);
  SetBrushOrgEx(out->DC(), 0, 0, nullptr);
  StretchDIBits(out->DC(), 0, 0, fit.width, fit.height, 0, 0, px.view.width, px.view.height,
                px.view.bits, &info, DIB_RGB_COLORS, SRCCOPY);
  return out;
}

}  // namespace

bool PicturePreview::Load(const std::string& path, int paneWidth, int paneHeight,
                          HANDLE cancel) noexcept {
  Clear();
  try {
    Read(path, paneWidth, paneHeight - kCaptionHeight, cancel);
  } catch (...) {  // a damaged file, no memory: nothing to show
    Clear();
  }
  return !Empty();
}

void PicturePreview::Clear() noexcept {
  picture_.reset();
  caption_.clear();
}

void PicturePreview::Read(const std::string& path, int boxWidth, int boxHeight, HANDLE cancel) {
  if (path.empty() || boxWidth <= 0 || boxHeight <= 0 || FileSize(path) > kMaxPreviewFile) return;
  const std::string data = ReadWholeFile(path);
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  int width = 0, height = 0;
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    Pixels px;
    bmp::Decode(bytes, px.Allocator());
    picture_ = Shrunk(px, boxWidth, boxHeight);
    width = px.view.width;
    height = px.view.height;
  } else if (data.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
    Pixels px;
    std::tie(width, height) = jpeg::DecodeReduced(bytes, boxWidth, boxHeight, px.Allocator());
    picture_ = Shrunk(px, boxWidth, boxHeight);
  } else {
    const MetafileBits metafile = ReadMetafile(data);  // refuses anything that is not one
    width = metafile.width;
    height = metafile.height;
    const FitSize fit = FitWithin(width, height, boxWidth, boxHeight);
    auto picture = std::make_unique<Bitmap>(fit.width, fit.height);  // white
    PlayMetafile(metafile, *picture, cancel);
    picture_ = std::move(picture);
  }
  char caption[32];
  std::snprintf(caption, sizeof caption, "%d x %d", width, height);
  caption_ = caption;
}

void PicturePreview::Paint(HDC dc, const RECT& pane) const {
  FillRect(dc, &pane, GetSysColorBrush(COLOR_BTNFACE));
  if (!picture_) return;
  RECT line{pane.left, pane.top, pane.right, pane.top + kCaptionHeight};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  ::DrawTextA(dc, caption_.c_str(), -1, &line,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  const int areaWidth = pane.right - pane.left, areaHeight = pane.bottom - line.bottom;
  const int x = pane.left + (areaWidth - picture_->Width()) / 2;
  const int y = line.bottom + (areaHeight - picture_->Height()) / 2;
  BitBlt(dc, x, y, picture_->Width(), picture_->Height(), picture_->DC(), 0, 0, SRCCOPY);
}

}  // namespace qtk

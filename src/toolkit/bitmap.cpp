#include "toolkit/bitmap.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include "toolkit/error.h"
#include "toolkit/logic/bmp_codec.h"
#include "toolkit/logic/jpeg_codec.h"

namespace qtk {

namespace {

BITMAPINFO Info24(int width, int height) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

// The first write to each page of a fresh frame costs a page fault; for a large frame, two threads
// take them side by side before anything is drawn or decoded into it.
void TouchPages(void* bits, size_t bytes) {
  constexpr size_t kPage = 4096;
  if (bytes < (size_t{8} << 20)) return;
  auto touch = [](uint8_t* from, uint8_t* to) {
    for (volatile uint8_t* p = from; p < to; p += kPage) *p = 0;
  };
  uint8_t* begin = static_cast<uint8_t*>(bits);
  uint8_t* middle = begin + bytes / 2 / kPage * kPage;
  std::thread other;
  try {
    other = std::thread(touch, middle, begin + bytes);
  } catch (const std::system_error&) {
    middle = begin + bytes;  // no second thread to be had: this one takes every page
  }
  touch(begin, middle);
  if (other.joinable()) other.join();
}

}  // namespace

Bitmap::Bitmap() : dc_(CreateCompatibleDC(nullptr)) { canvas_.Attach(dc_.get()); }

Bitmap::Bitmap(int width, int height) : Bitmap() { SetSize(width, height); }

Bitmap::~Bitmap() {
  canvas_.Attach(nullptr);
  if (oldBitmap_) SelectObject(dc_.get(), oldBitmap_);
}

PixelBuffer Bitmap::View() const { return PixelBuffer{width_, height_, stride_, bits_}; }

void Bitmap::Recreate(int width, int height, bool keep) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  BitmapObject dib;
  void* bits = nullptr;
  if (width > 0 && height > 0) {
    BITMAPINFO bi = Info24(width, height);
    dib.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib) ThrowCallFailed("ビットマップが大きすぎます", "CreateDIBSection");
  }
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (bits) TouchPages(bits, stride * height);
  if (keep && bits) {
    // New area is white; the old picture stays where the two overlap.
    std::memset(bits, 0xFF, stride * height);
    int w = std::min(width, width_), h = std::min(height, height_);
    for (int y = 0; y < h; ++y)
      std::memcpy(static_cast<uint8_t*>(bits) + stride * y, bits_ + stride_ * y, size_t(w) * 3);
  }
  canvas_.Attach(nullptr);
  if (oldBitmap_) {
    SelectObject(dc_.get(), oldBitmap_);
    oldBitmap_ = nullptr;
  }
  dib_ = std::move(dib);
  if (dib_) oldBitmap_ = SelectObject(dc_.get(), dib_.get());
  canvas_.Attach(dc_.get());
  width_ = width;
  height_ = height;
  stride_ = stride;
  bits_ = static_cast<uint8_t*>(bits);
}

void Bitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_ && (bits_ || width <= 0 || height <= 0)) return;
  Recreate(width, height, true);
}

PixelBuffer Bitmap::Allocate(int width, int height) {
  if (width != width_ || height != height_ || !bits_) Recreate(width, height, false);
  GdiFlush();  // drawing still queued for these pixels lands before they are written
  return View();
}

void Bitmap::CopyResized(const Bitmap& from, int width, int height) {
  Allocate(width, height);
  sourceBits_ = from.sourceBits_;
  if (!bits_) return;
  const size_t overlap = size_t(std::min(width_, from.width_)) * 3;
  for (int y = 0; y < height_; ++y) {
    uint8_t* row = bits_ + stride_ * y;
    const size_t kept = y < from.height_ && from.bits_ ? overlap : 0;
    if (kept) std::memcpy(row, from.bits_ + from.stride_ * y, kept);
    std::memset(row + kept, 0xFF, stride_ - kept);
  }
}

void Bitmap::Swap(Bitmap& other) {
  for (Bitmap* b : {this, &other}) {
    b->canvas_.Attach(nullptr);
    if (b->oldBitmap_) SelectObject(b->dc_.get(), b->oldBitmap_);
    b->oldBitmap_ = nullptr;
  }
  std::swap(dib_, other.dib_);
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(sourceBits_, other.sourceBits_);
  std::swap(stride_, other.stride_);
  std::swap(bits_, other.bits_);
  for (Bitmap* b : {this, &other}) {
    if (b->dib_) b->oldBitmap_ = SelectObject(b->dc_.get(), b->dib_.get());
    b->canvas_.Attach(b->dc_.get());
  }
}

int(WINAPI* Bitmap::pixelReader)(HDC, HBITMAP, UINT, UINT, LPVOID, LPBITMAPINFO, UINT) = GetDIBits;

bool Bitmap::AssignFromHandle(HBITMAP source, HPALETTE palette) {
  BITMAP bm{};
  if (!GetObjectA(source, sizeof(bm), &bm)) return false;
  Allocate(bm.bmWidth, std::abs(bm.bmHeight));
  sourceBits_ = bm.bmBitsPixel * bm.bmPlanes;
  if (!bits_) return true;
  BITMAPINFO bi = Info24(width_, height_);
  MemoryDC screen(CreateCompatibleDC(nullptr));
  HPALETTE oldPal = palette ? SelectPalette(screen.get(), palette, FALSE) : nullptr;
  if (palette) RealizePalette(screen.get());
  const int rows = pixelReader(screen.get(), source, 0, height_, bits_, &bi, DIB_RGB_COLORS);
  if (oldPal) SelectPalette(screen.get(), oldPal, FALSE);
  return rows == height_;
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) ThrowLastError("");
  const KernelHandle file(h);
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  if (size.QuadPart > (1LL << 31)) throw Error(path + ": file too large");
  std::string data(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  if (!data.empty() && !ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr))
    ThrowLastError("");
  data.resize(got);
  return data;
}

// Under Wine a fresh megabyte to copy a file into costs twice the reading: a mapping costs
// neither. An empty file has nothing to map.
MappedFile::MappedFile(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (file_.get() == INVALID_HANDLE_VALUE) {
    file_.release();
    ThrowLastError("");
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file_.get(), &size)) ThrowLastError("");
  if (size.QuadPart > (1LL << 31)) throw Error(path + ": file too large");
  if (size.QuadPart == 0) return;
  section_.reset(CreateFileMappingA(file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!section_) ThrowLastError("");
  view_.reset(MapViewOfFile(section_.get(), FILE_MAP_READ, 0, 0, 0));
  if (!view_) ThrowLastError("");
  size_ = static_cast<size_t>(size.QuadPart);
}

namespace {

// A file of one format may carry the name of the other (a save-as keeps the typed name whatever
// the chosen type): what begins with the other format's signature goes to that reader.
bool StartsAsJpeg(std::span<const uint8_t> d) {
  return d.size() >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF;
}
bool StartsAsBmp(std::span<const uint8_t> d) { return d.size() >= 2 && d[0] == 'B' && d[1] == 'M'; }

}  // namespace

void Bitmap::ReadBmpFile(const std::string& path, bool quantizeJpeg) {
  const MappedFile file(path);
  if (StartsAsJpeg(file.Bytes())) return ReadJpegBytes(file.Bytes(), quantizeJpeg);
  ReadBmpBytes(file.Bytes());
}

void Bitmap::ReadJpegFile(const std::string& path, bool quantize) {
  const MappedFile file(path);
  if (StartsAsBmp(file.Bytes())) return ReadBmpBytes(file.Bytes());
  ReadJpegBytes(file.Bytes(), quantize);
}

void Bitmap::ReadBmpBytes(std::span<const uint8_t> data) {
  bmp::Decode(data, [&](int32_t w, int32_t h) { return Allocate(w, h); });
  sourceBits_ = data.size() >= 30 ? data[28] | (data[29] << 8) : 24;
}

void Bitmap::ReadJpegBytes(std::span<const uint8_t> data, bool quantize) {
  jpeg::Decode(data, quantize, [&](int32_t w, int32_t h) { return Allocate(w, h); });
  sourceBits_ = quantize ? 8 : 24;
}

// The rows go bottom-up, gathered into large pieces. The gathering buffer is kept between
// calls: under Wine, touching fresh memory costs more than copying the rows.
void Bitmap::WriteBmp(const std::function<void(const uint8_t*, size_t)>& sink) const {
  static std::vector<uint8_t> chunk;
  constexpr size_t kChunk = 1u << 20;
  const auto header = bmp::Header24(width_, height_);
  const size_t capacity = std::max(kChunk, header.size() + stride_);
  if (chunk.size() < capacity) chunk.resize(capacity);
  size_t used = header.size();
  std::copy(header.begin(), header.end(), chunk.begin());
  for (int y = height_ - 1; y >= 0 && bits_; --y) {
    if (used + stride_ > chunk.size()) {
      sink(chunk.data(), used);
      used = 0;
    }
    std::memcpy(chunk.data() + used, bits_ + stride_ * static_cast<size_t>(y), stride_);
    used += stride_;
  }
  sink(chunk.data(), used);
}

}  // namespace qtk

#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "toolkit/gdi.h"
#include "toolkit/logic/pixel_buffer.h"

namespace qtk {

// A 24-bit top-down DIB section with its own memory DC and drawing surface. An empty bitmap
// (width or height 0) has no DIB.
class Bitmap {
 public:
  Bitmap();
  Bitmap(int width, int height);
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  ~Bitmap();

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  // The pixel format of the picture this bitmap was read from (the pixels are always 24-bit).
  int SourceBitsPerPixel() const { return sourceBits_; }
  void SetSourceBitsPerPixel(int bits) { sourceBits_ = bits; }

  // Resizes, keeping the picture where old and new areas overlap; new area is white.
  void SetSize(int width, int height);
  // Becomes width x height holding `from`'s picture where the two overlap, white elsewhere.
  void CopyResized(const Bitmap& from, int width, int height);
  // Replaces the pixels by those of a DDB or DIB handle (the clipboard's bitmap), at its size.
  // False when the system cannot give the handle's pixels; this bitmap's pixels are then
  // unspecified, so read into a spare.
  bool AssignFromHandle(HBITMAP source, HPALETTE palette);
  // The system's GetDIBits; tests put a failing one in its place.
  static int(WINAPI* pixelReader)(HDC, HBITMAP, UINT, UINT, LPVOID, LPBITMAPINFO, UINT);

  Canvas& GetCanvas() { return canvas_; }
  HDC DC() const { return dc_.get(); }
  HBITMAP Handle() const { return dib_.get(); }
  PixelBuffer View() const;
  size_t Stride() const { return stride_; }
  const uint8_t* Bits() const { return bits_; }
  uint8_t* Bits() { return bits_; }

  // Reads a .bmp or a JPEG file (quantize: 236 colours as on a palette screen), decoding straight
  // into this bitmap (no second frame; reused when the size is the same); after a failure its
  // pixels and size are unspecified, so read into a spare. A file that begins with the other
  // format's signature is read as that format.
  void ReadBmpFile(const std::string& path, bool quantizeJpeg);
  void ReadJpegFile(const std::string& path, bool quantize);
  // Gives the 24-bit picture as BMP file bytes, in pieces of about 1 MiB, to `sink`.
  void WriteBmp(const std::function<void(const uint8_t* data, size_t size)>& sink) const;

  // Gives the decoders a place to write: a DIB of that size (this one when the size is the same).
  PixelBuffer Allocate(int width, int height);
  // Exchanges the pictures of two bitmaps without copying pixels.
  void Swap(Bitmap& other);

 private:
  void ReadBmpBytes(std::span<const uint8_t> data);
  void ReadJpegBytes(std::span<const uint8_t> data, bool quantize);
  void Recreate(int width, int height, bool keep);

  int width_ = 0, height_ = 0, sourceBits_ = 24;
  size_t stride_ = 0;
  uint8_t* bits_ = nullptr;
  MemoryDC dc_;
  BitmapObject dib_;
  HGDIOBJ oldBitmap_ = nullptr;
  Canvas canvas_;
};

// Reads a whole file; throws Error with the system's message.
std::string ReadWholeFile(const std::string& path);

// A whole file's bytes, mapped rather than copied, for as long as the object lives. The file is
// open for reading only, and nobody can open it for writing meanwhile (nor could anybody who
// holds it so): its bytes cannot change or go under the reader.
class MappedFile {
 public:
  explicit MappedFile(const std::string& path);
  std::span<const uint8_t> Bytes() const {
    return {static_cast<const uint8_t*>(view_.get()), size_};
  }

 private:
  KernelHandle file_, section_;
  MappedView view_;
  size_t size_ = 0;
};

}  // namespace qtk

#include "toolkit/clipboard.h"

#include <utility>
#include <vector>

#include "toolkit/error.h"
#include "toolkit/gdi.h"
#include "toolkit/logic/metafile_header.h"
#include "toolkit/metafile.h"
#include "toolkit/wic_image.h"

namespace qtk {

namespace {

// Holds the clipboard open for a scope. Another program may hold it for a moment (a clipboard
// viewer answering a change), so opening is retried for about 50 ms before giving up.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (OpenClipboard(owner)) return;
      Sleep(5);
    }
    throw Error("クリップボードを開くことができません");
  }
  ~OpenedClipboard() { CloseClipboard(); }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
};

[[noreturn]] void NoData() { throw Error("未対応のクリップボード データです"); }

// A metafile whose header gives no usable size is data the picture cannot take.
MetafileBits Unplayable(MetafileBits m) {
  m.failure = "未対応のクリップボード データです";
  return m;
}

UINT FirstPictureFormat() {
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
    if (format == CF_BITMAP || format == CF_METAFILEPICT || format == CF_ENHMETAFILE) return format;
  }
  return 0;
}

// The clipboard keeps its handle; the picture gets a copy of its bytes.
MetafileBits FromEnhancedFormat() {
  auto h = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
  const UINT size = h ? GetEnhMetaFileBits(h, 0, nullptr) : 0;
  if (size == 0) NoData();
  MetafileBits m;
  m.bytes.resize(size);
  if (GetEnhMetaFileBits(h, size, reinterpret_cast<BYTE*>(m.bytes.data())) != size) NoData();
  try {
    SizeFromFrame(m);
  } catch (const Error&) {
    NoData();
  }
  return Unplayable(std::move(m));
}

// The old-style picture's mapping mode and extents (.01 mm) say how large it is meant to be; the
// records then draw through their own window onto that many pixels.
MetafileBits FromMetafilePict() {
  HGLOBAL block = GetClipboardData(CF_METAFILEPICT);
  if (!block) NoData();
  auto* pict = static_cast<const METAFILEPICT*>(GlobalLock(block));
  if (!pict) NoData();
  METAFILEPICT header = *pict;
  GlobalUnlock(block);
  if ((header.mm != MM_ANISOTROPIC && header.mm != MM_ISOTROPIC) || header.xExt <= 0 ||
      header.yExt <= 0)
    NoData();
  UINT size = header.hMF ? GetMetaFileBitsEx(header.hMF, 0, nullptr) : 0;
  if (size == 0) NoData();
  MetafileBits m;
  m.format = MetafileBits::Format::Windows;
  m.mapMode = header.mm;
  m.bytes.resize(size);
  if (GetMetaFileBitsEx(header.hMF, size, reinterpret_cast<BYTE*>(m.bytes.data())) != size)
    NoData();
  WindowDC screen(nullptr);
  m.width = MulDiv(header.xExt, GetDeviceCaps(screen.get(), HORZRES),
                   100 * GetDeviceCaps(screen.get(), HORZSIZE));
  m.height = MulDiv(header.yExt, GetDeviceCaps(screen.get(), VERTRES),
                    100 * GetDeviceCaps(screen.get(), VERTSIZE));
  if (!wmf::UsablePictureSize(m.width, m.height)) NoData();
  m.window = RECT{0, 0, m.width, m.height};  // until the records set their own
  return Unplayable(std::move(m));
}

// Many programs offer a picture only as a PNG file under the registered name "PNG" (so do
// pictures that reach Wine programs as image/png).
UINT PngFormat() {
  static const UINT format = RegisterClipboardFormatA("PNG");
  return format;
}

void FromPng(Bitmap& bitmap) {
  HGLOBAL block = GetClipboardData(PngFormat());
  if (!block) NoData();
  const void* bytes = GlobalLock(block);
  if (!bytes) NoData();
  const bool decoded = DecodeWithImagingComponent(bytes, GlobalSize(block), bitmap);
  GlobalUnlock(block);
  if (!decoded) NoData();
}

}  // namespace

ClipboardPicture ReadClipboardPicture(HWND owner, Bitmap& bitmap) {
  OpenedClipboard clipboard(owner);
  ClipboardPicture picture;
  UINT format = FirstPictureFormat();
  if (!format && PngFormat() && IsClipboardFormatAvailable(PngFormat())) format = PngFormat();
  if (format && format == PngFormat()) {
    FromPng(bitmap);
    picture.kind = ClipboardPicture::Kind::Bitmap;
    picture.width = bitmap.Width();
    picture.height = bitmap.Height();
    return picture;
  }
  switch (format) {
    case CF_BITMAP: {
      auto bits = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
      if (!bits) NoData();
      HPALETTE palette = IsClipboardFormatAvailable(CF_PALETTE)
                             ? static_cast<HPALETTE>(GetClipboardData(CF_PALETTE))
                             : nullptr;
      if (!bitmap.AssignFromHandle(bits, palette)) NoData();
      picture.kind = ClipboardPicture::Kind::Bitmap;
      picture.width = bitmap.Width();
      picture.height = bitmap.Height();
      return picture;
    }
    case CF_ENHMETAFILE:
    case CF_METAFILEPICT: {
      picture.metafile = format == CF_ENHMETAFILE ? FromEnhancedFormat() : FromMetafilePict();
      picture.kind = ClipboardPicture::Kind::Metafile;
      picture.width = picture.metafile.width;
      picture.height = picture.metafile.height;
      return picture;
    }
    default:
      throw Error("無効なクリップボード フォーマットです");
  }
}

void PutBitmapOnClipboard(HWND owner, HBITMAP bitmap) {
  // The clipboard owns what it is given, so it gets a device-dependent copy of its own.
  BitmapObject copy(static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0)));
  if (!copy) ThrowLastError("");
  OpenedClipboard clipboard(owner);
  if (!EmptyClipboard()) ThrowLastError("");
  if (!SetClipboardData(CF_BITMAP, copy.get())) ThrowLastError("");
  copy.release();
}

}  // namespace qtk

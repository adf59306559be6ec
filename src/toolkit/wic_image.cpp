#include "toolkit/wic_image.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <vector>

#include "toolkit/logic/metafile_header.h"

namespace qtk {

namespace {

// A COM interface pointer released at the end of its scope.
template <class T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() { return &p_; }

 private:
  T* p_ = nullptr;
};

// COM for this thread for the length of a decode, when nobody has set it up yet.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  // Also usable when the thread already runs COM in another mode.
  bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

}  // namespace

bool DecodeWithImagingComponent(const void* data, size_t size, Bitmap& into) {
  if (!data || size == 0 || size > 0xFFFFFFFFu) return false;
  ComScope com;
  if (!com.Usable()) return false;
  Com<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()))))
    return false;
  Com<IWICStream> stream;
  Com<IWICBitmapDecoder> decoder;
  Com<IWICBitmapFrameDecode> frame;
  Com<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (FAILED(factory->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)),
                                          static_cast<DWORD>(size))) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.put())) ||
      FAILED(decoder->GetFrame(0, frame.put())) || FAILED(frame->GetSize(&width, &height)) ||
      !wmf::UsablePictureSize(width, height) ||
      FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return false;

  into.Allocate(static_cast<int>(width), static_cast<int>(height));
  into.SetSourceBitsPerPixel(24);
  // Premultiplied colour over white is colour + (255 - alpha). Rows come in bands, so the
  // conversion never holds a second whole picture.
  constexpr UINT kBand = 64;
  const UINT rowBytes = width * 4;
  std::vector<BYTE> band(size_t{rowBytes} * std::min(kBand, height));
  for (UINT top = 0; top < height; top += kBand) {
    const UINT rows = std::min(kBand, height - top);
    WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
    if (FAILED(converter->CopyPixels(&rect, rowBytes, rowBytes * rows, band.data()))) return false;
    for (UINT y = 0; y < rows; ++y) {
      const BYTE* src = band.data() + size_t{rowBytes} * y;
      uint8_t* dst = into.Bits() + into.Stride() * (top + y);
      for (UINT x = 0; x < width; ++x, src += 4, dst += 3) {
        const int under = 255 - src[3];
        dst[0] = static_cast<uint8_t>(std::min(255, src[0] + under));
        dst[1] = static_cast<uint8_t>(std::min(255, src[1] + under));
        dst[2] = static_cast<uint8_t>(std::min(255, src[2] + under));
      }
    }
  }
  return true;
}

}  // namespace qtk

#pragma once
#include <windows.h>

#include <string>

namespace qtk {

// A Windows metafile picture: a placeable WMF (with its 22-byte header) or enhanced-metafile
// content, held as an enhanced metafile.
class Metafile {
public:
  Metafile() = default;
  explicit Metafile(HENHMETAFILE h) : emf_(h) {}
  ~Metafile();
  Metafile(Metafile&& o) noexcept;
  Metafile& operator=(Metafile&& o) noexcept;
  Metafile(const Metafile&) = delete;
  Metafile& operator=(const Metafile&) = delete;

  // Takes ownership of an enhanced metafile (a copy of the clipboard's) and finds its natural size
  // as LoadFromFile does for enhanced-metafile content; throws the same error for absurd sizes.
  static Metafile FromHandle(HENHMETAFILE h);
  // Takes ownership of an enhanced metafile whose natural size is known (deleted if the size is
  // not a usable picture size, with the error above).
  Metafile(HENHMETAFILE h, int width, int height);
  // The system's conversion of Windows-metafile bits into an enhanced metafile, which plays every
  // record; nullptr when it fails or faults.
  static HENHMETAFILE ConvertWindowsMetafile(const BYTE* bits, UINT size, HDC reference,
                                             const METAFILEPICT& pict);
  // Gives up ownership of the handle; the size stays readable.
  HENHMETAFILE Release();

  // Throws Error("メタファイルが有効ではありません") for content without either header, a size
  // that does not fit, a zero extent, or a picture past the readers' limits (2^28 pixels).
  void LoadFromFile(const std::string& path);
  HENHMETAFILE Handle() const { return emf_; }
  // Natural size in screen pixels.
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Plays the metafile into a rectangle of a DC. A fault inside the system's player throws the
  // reader's error; what was drawn until then stays drawn, so play into a spare picture.
  void Play(HDC dc, const RECT& target) const;
  // Tests make the player fault on purpose: called before each record is played, from inside it.
  static void (*onRecordPlayed)();

private:
  HENHMETAFILE emf_ = nullptr;
  int width_ = 0, height_ = 0;
};

}  // namespace qtk

// Loading a picture file, or the blank picture, into the document.
#include <windows.h>

#include <shellapi.h>

#include "editor/editor.h"
#include "editor/logic/name_parts.h"
#include "toolkit/app.h"
#include "toolkit/metafile.h"

namespace quillora {

namespace {

const char* const kBlankCaption = "　Quillora　　『 画像作成 』";
const char* const kUnsupported = "このソフトで開けるファイル形式は\r\n\r\n『 BMP,WMF,JPG,JPEG 』 だけです。";

bool ScreenIsPaletted() {
  static const bool paletted = [] {
    HDC dc = GetDC(nullptr);
    int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
    ReleaseDC(nullptr, dc);
    return bits <= 8;
  }();
  return paletted;
}

}  // namespace

void TScrivletForm1::SetDocumentCaption(const std::string& ext) {
  SetText(ext.empty() ? kBlankCaption : "　Quillora　　" + FileNamePart(fileName));
}

// The composed image holds nothing but the last composition, so the readers write the new picture
// there and the base image takes it by exchange once reading has returned: one picture costs two
// frames however often it is loaded, and a reload of the same size allocates nothing. After a
// failure the base image is untouched and the composed image is made its composition again.
void TScrivletForm1::ReplaceBase(const std::function<void(qtk::Bitmap& into)>& read) {
  try {
    read(composedImage);
  } catch (...) {
    composedImage.SetSize(baseImage.Width(), baseImage.Height());
    ComposeFull();  // the reader may have written over any of it
    throw;
  }
  baseImage.Swap(composedImage);
}

// The extension is decided before anything of the document is touched, so that a refused name
// leaves every annotation in place, and the modified flag as it was, when the close that follows
// is cancelled.
void TScrivletForm1::LoadPicture(const std::string& name) {
  const std::string ext = LowerAscii(Extension(name));
  const bool jpeg = ext == ".jpeg" || ext == ".jpg";
  const bool wmf = ext == ".wmf";
  const bool bmp = ext == ".bmp";
  if (!ext.empty() && !jpeg && !wmf && !bmp) {
    qtk::Application::Get().ShowMessageBox(Handle(), kUnsupported, "Quillora", MB_OK);
    ActExitExecute();
    return;
  }
  ClearAnnotations();

  DWORD attributes = name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(name.c_str());
  bool exists = !name.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
                !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (exists) {
    if (jpeg) {
      ReplaceBase([&](qtk::Bitmap& into) { into.ReadJpegFile(name, ScreenIsPaletted()); });
    } else if (wmf) {
      qtk::Metafile metafile;
      metafile.LoadFromFile(name);
      // Drawn over the former picture at the metafile's size, and taken only once played.
      ReplaceBase([&](qtk::Bitmap& into) {
        into.CopyResized(baseImage, metafile.Width(), metafile.Height());
        metafile.Play(into.DC(), RECT{0, 0, metafile.Width(), metafile.Height()});
      });
    } else if (bmp) {
      ReplaceBase([&](qtk::Bitmap& into) { into.ReadBmpFile(name, ScreenIsPaletted()); });
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(name.c_str(), 0);
    fileName = name;
  } else {
    baseImage.SetSize(640, 480);
    qtk::Canvas& canvas = baseImage.GetCanvas();
    canvas.SetBrushStyle(qtk::BrushStyle::Solid);
    canvas.SetBrushColor(qtk::clWhite);
    canvas.FillRect(RECT{0, 0, 640, 480});
    fileName.clear();
    SetText(kBlankCaption);
  }
  SizeToBase();
  ComposePicture();
  ActSave.SetEnabled(true);
  SetDocumentCaption(ext);
  modified = false;
}

void TScrivletForm1::ActOpenExecute() {
  FColorButton.SetFocus();
  OpenPictureDialog1.filter = "ビットマップ・JPEG・メタファイル|*.bmp;*.jpg;*.jpeg;*.wmf";
  OpenPictureDialog1.fileName.clear();
  if (OpenPictureDialog1.Execute(Handle())) LoadPicture(OpenPictureDialog1.fileName);
}

void TScrivletForm1::WMDropFiles(HDROP drop) {
  if (HWND editor = FindWindowA(kEditorClassName, nullptr)) SetForegroundWindow(editor);
  char buffer[MAX_PATH + 1] = {};
  DragQueryFileA(drop, 0, buffer, MAX_PATH);
  DragFinish(drop);
  LoadPicture(buffer);
  FColorButton.SetFocus();
}

}  // namespace quillora

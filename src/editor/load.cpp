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
const char* const kUnsupported =
    "このソフトで開けるファイル形式は\r\n\r\n『 BMP,WMF,JPG,JPEG 』 だけです。";

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

std::string TScrivletForm1::DocumentCaption(const std::string& ext, const std::string& name) {
  return ext.empty() ? kBlankCaption : "　Quillora　　" + FileNamePart(name);
}

void TScrivletForm1::ShowCaption() { SetText(doc.Caption()); }

// The readers write the new picture into a frame of its own: one that left the history when
// there is one (its memory is in use already), else a new one. The document takes those pixels
// by exchange once reading has returned, and the picture it had goes into the step that undoes
// the change. After a failure the document is untouched.
void TScrivletForm1::ReplaceBase(const std::function<void(qtk::Bitmap& into)>& read, bool keepMarks,
                                 const std::string& name, const std::string& caption) {
  EndGesture();  // a drag under way ends here: its step is done before the picture changes
  qtk::Bitmap picture;
  doc.TakeSpare(picture);
  read(picture);
  doc.ReplacePicture(picture, keepMarks, name, caption);
  SizeToBase();
}

// The extension is decided before anything of the document is touched, so that a refused name
// leaves every annotation in place, and the modified flag as it was, when the close that follows
// is cancelled. The picture is read before the document changes: a file that cannot be read
// leaves the picture, the marks, the name, the caption and the flag as they were.
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
  EndGesture();

  DWORD attributes = name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(name.c_str());
  bool exists = !name.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
                !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (exists) {
    std::function<void(qtk::Bitmap&)> read;
    if (jpeg) {
      read = [&](qtk::Bitmap& into) { into.ReadJpegFile(name, ScreenIsPaletted()); };
    } else if (wmf) {
      read = [&](qtk::Bitmap& into) {
        const qtk::MetafileBits metafile = qtk::ReadMetafileFile(name);
        // Drawn over white at the metafile's size, as its preview shows it, and taken only
        // once played: what the file leaves unpainted is not the former picture's.
        into.CopyResized(qtk::Bitmap(), metafile.width, metafile.height);
        qtk::PlayMetafile(metafile, into);
      };
    } else if (bmp) {
      read = [&](qtk::Bitmap& into) { into.ReadBmpFile(name, ScreenIsPaletted()); };
    } else {
      // A name without an extension is taken with the picture kept as it is.
      read = [&](qtk::Bitmap& into) {
        into.CopyResized(doc.Base(), doc.Base().Width(), doc.Base().Height());
      };
    }
    ReplaceBase(read, false, name, DocumentCaption(ext, name));
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(name.c_str(), 0);
  } else {
    ReplaceBase(
        [](qtk::Bitmap& into) {
          into.Allocate(640, 480);
          qtk::Canvas& canvas = into.GetCanvas();
          canvas.SetBrushStyle(qtk::BrushStyle::Solid);
          canvas.SetBrushColor(qtk::clWhite);
          canvas.FillRect(RECT{0, 0, 640, 480});
        },
        false, "", DocumentCaption(ext, ""));
  }
  doc.MarkSaved();
  ComposePicture();
  commandState.saveEnabled = true;
  UpdateCommands();
  ShowCaption();
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

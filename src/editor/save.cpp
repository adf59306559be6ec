// Saving and the close question.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "editor/logic/name_parts.h"
#include "editor/logic/texts.h"
#include "toolkit/app.h"
#include "toolkit/error.h"
#include "toolkit/gdi.h"
#include "toolkit/logic/bmp_codec.h"
#include "toolkit/logic/jpeg_codec.h"

namespace quillora {

namespace {

const char* const kSaveFilter =
    "ビットマップ (*.bmp)|*.bmp|JPEG イメージファイル (*.jpg)|*.jpg|JPEG イメージファイル "
    "(*.jpeg)|*.jpeg";

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2] = {};
  DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

[[noreturn]] void ThrowCannotCreate(const std::string& path, DWORD code) {
  throw qtk::Error("ファイル\"" + FullPath(path) + "\"." + qtk::SystemMessage(code) +
                   "を作成できません");
}

// The folder of a path, with its last "\"; "." (the current folder) for a bare name.
std::string FolderOf(const std::string& path) {
  const size_t nameSize = FileNamePart(path).size();
  return nameSize == path.size() ? std::string(1, '.') : path.substr(0, path.size() - nameSize);
}

void WriteAll(HANDLE file, const void* data, size_t size) {
  DWORD written = 0;
  if (!WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written != size)
    qtk::ThrowLastError("");
}

// The new file beside the target, deleted when it goes out of scope unless it took the target's
// place; declared before the handle to it, it is deleted only once the handle is closed.
class TempFile {
 public:
  explicit TempFile(const char* path) : path_(path) {}
  ~TempFile() {
    if (!kept_) DeleteFileA(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const char* Path() const { return path_.c_str(); }
  void Keep() { kept_ = true; }

 private:
  std::string path_;
  bool kept_ = false;
};

// Writes a whole file through `write` so that the file it replaces survives any failure: the
// picture goes into a new file beside the target, which takes the target's place only once
// every byte is written. Nothing of the new file is left behind when something fails.
void WriteReplacing(const std::string& target, const std::function<void(HANDLE)>& write) {
  // A target that exists but cannot be written (read-only, a folder, in use) is refused before
  // anything is created, as opening it for writing would be.
  HANDLE probe = CreateFileA(target.c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
  } else if (DWORD code = GetLastError(); code != ERROR_FILE_NOT_FOUND) {
    ThrowCannotCreate(target, code);
  }
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    ThrowCannotCreate(target, ERROR_ACCESS_DENIED);

  const std::string folder = FolderOf(target);
  char tempName[MAX_PATH] = {};
  if (!GetTempFileNameA(folder.c_str(), "qlr", 0, tempName))
    ThrowCannotCreate(target, GetLastError());
  TempFile temp(tempName);
  const HANDLE created = CreateFileA(temp.Path(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) ThrowCannotCreate(target, GetLastError());
  qtk::KernelHandle file(created);
  write(file.get());
  const bool closed = CloseHandle(file.release());
  const DWORD closeCode = GetLastError();
  if (!closed) throw qtk::Error(qtk::SystemMessage(closeCode));
  if (!MoveFileExA(temp.Path(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    ThrowCannotCreate(target, GetLastError());
  temp.Keep();
  // The replaced file's hidden and system bits stay with the name, as a replacement in place by
  // the system keeps them; the new file would otherwise drop them.
  const DWORD kept = attributes == INVALID_FILE_ATTRIBUTES
                         ? 0
                         : attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  if (const DWORD now = GetFileAttributesA(target.c_str()); kept && now != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(target.c_str(), now | kept);
}

}  // namespace

void TScrivletForm1::ActSaveExecute() {
  const std::string ext = LowerAscii(Extension(doc.FileName()));
  FColorButton.SetFocus();
  if (ext == ".jpg" || ext == ".jpeg")
    SaveJpeg();
  else if (ext == ".bmp")
    SaveBitmap();
  else
    ActSaveAsExecute();
}

// A failed write leaves the current file name as it was, so that the document still points at
// the file it came from rather than at a name that holds nothing.
void TScrivletForm1::ActSaveAsExecute() {
  FColorButton.SetFocus();
  SavePictureDialog1.filter = kSaveFilter;
  if (SavePictureDialog1.defaultExt.empty()) SavePictureDialog1.defaultExt = "bmp";
  SavePictureDialog1.fileName.clear();
  if (SavePictureDialog1.Execute(Handle())) {
    const int index = SavePictureDialog1.filterIndex;
    const char* const extensions[] = {"bmp", "jpg", "jpeg"};
    if (index >= 1 && index <= 3) {
      SavePictureDialog1.defaultExt = extensions[index - 1];
      const std::string previous = doc.FileName();
      doc.SetFileName(SavePictureDialog1.fileName);
      try {
        if (index == 1)
          SaveBitmap();
        else
          SaveJpeg();
      } catch (...) {
        doc.SetFileName(previous);
        throw;
      }
    }
  }
  commandState.saveEnabled = false;
  UpdateCommands();
}

void TScrivletForm1::ActExitExecute() { Close(); }

void TScrivletForm1::SaveJpeg() {
  const qtk::PixelBuffer pixels = WrittenPicture().View();
  WriteReplacing(doc.FileName(), [&](HANDLE file) {
    // The encoder hands over small pieces; they are gathered so that the disk sees few writes.
    std::vector<uint8_t> pending;
    pending.reserve(1u << 20);
    qtk::jpeg::Encode(pixels, [&](const uint8_t* data, size_t size) {
      pending.insert(pending.end(), data, data + size);
      if (pending.size() >= (1u << 20) - (64u << 10)) {
        WriteAll(file, pending.data(), pending.size());
        pending.clear();
      }
    });
    if (!pending.empty()) WriteAll(file, pending.data(), pending.size());
  });
  AfterWrite();
}

void TScrivletForm1::SaveBitmap() {
  WriteReplacing(doc.FileName(), [&](HANDLE file) {
    WrittenPicture().WriteBmp(
        [file](const uint8_t* data, size_t size) { WriteAll(file, data, size); });
  });
  AfterWrite();
}

// The file holds the document now: the history's saved place, and the caption of its name.
void TScrivletForm1::AfterWrite() {
  doc.SetCaption("　Quillora　　" + FileNamePart(doc.FileName()));
  ShowCaption();
  doc.MarkSaved();
}

// "はい(&Y)" keeps the window open when its save wrote nothing (the save dialog was cancelled),
// so that answering yes never loses the changes.
void TScrivletForm1::FormCloseQuery(bool& canClose) {
  if (!doc.Modified()) return;
  MessageBeep(MB_ICONQUESTION);
  const int answer =
      qtk::Application::Get().ShowMessageBox(Handle(), CloseQuestion(doc.FileName()), "確認",
                                             MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1);
  if (answer == IDNO) return;
  if (answer == IDYES) {
    ActSaveExecute();
    if (!doc.Modified()) return;
  }
  canClose = false;
  FColorButton.SetFocus();
}

void TScrivletForm1::FormClose() {
  if (closeLauncher) closeLauncher();
}

}  // namespace quillora

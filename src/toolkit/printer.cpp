#include "toolkit/printer.h"

#include <winspool.h>

#include <cstddef>
#include <utility>

#include "toolkit/error.h"

namespace qtk {

namespace {

// The system's text for `code`, or `fallback` when the failing call set no error code.
[[noreturn]] void Fail(DWORD code, const char* fallback) {
  throw Error(code ? SystemMessage(code) : std::string(fallback));
}

struct ClosePrinterHandle {
  void operator()(HANDLE h) const { ClosePrinter(h); }
};
using PrinterHandle = Owned<HANDLE, ClosePrinterHandle>;

// The printer of that name, opened for its settings; empty when it cannot be opened.
PrinterHandle OpenPrinterHandle(const std::string& name) {
  HANDLE h = nullptr;
  return PrinterHandle(OpenPrinterA(const_cast<char*>(name.c_str()), &h, nullptr) ? h : nullptr);
}

// The driver's current settings of a printer, or nothing when the driver gives none.
std::vector<BYTE> DriverDevMode(const std::string& device) {
  const PrinterHandle printer = OpenPrinterHandle(device);
  if (!printer.get()) return {};
  char* name = const_cast<char*>(device.c_str());
  LONG size = DocumentPropertiesA(nullptr, printer.get(), name, nullptr, nullptr, 0);
  if (size < static_cast<LONG>(offsetof(DEVMODEA, dmFields) + sizeof(DWORD))) return {};
  std::vector<BYTE> bytes(static_cast<size_t>(size));
  auto* dm = reinterpret_cast<DEVMODEA*>(bytes.data());
  if (DocumentPropertiesA(nullptr, printer.get(), name, dm, nullptr, DM_OUT_BUFFER) != IDOK)
    return {};
  return bytes;
}

// The DEVMODE in `bytes` when it is long enough to carry the orientation.
DEVMODEA* DevModeIn(std::vector<BYTE>& bytes) {
  constexpr size_t need = offsetof(DEVMODEA, dmOrientation) + sizeof(short);
  if (bytes.size() < need) return nullptr;
  auto* dm = reinterpret_cast<DEVMODEA*>(bytes.data());
  return dm->dmSize >= need ? dm : nullptr;
}

}  // namespace

Printer::~Printer() {
  try {
    EndDoc();
  } catch (...) {
    // A job that cannot be closed while the owner goes away has nobody left to tell.
  }
}

void Printer::SetDevice(const std::string& device, std::vector<BYTE> devmode) {
  device_ = device;
  devmode_ = std::move(devmode);
}

void Printer::LoadDefault() {
  DWORD size = 0;
  GetDefaultPrinterA(nullptr, &size);
  if (size == 0) ThrowCallFailed("既定のプリンタが設定されていません", "GetDefaultPrinter");
  std::string name(size, '\0');
  if (!GetDefaultPrinterA(name.data(), &size))
    ThrowCallFailed("既定のプリンタが設定されていません", "GetDefaultPrinter");
  name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
  device_ = std::move(name);
  devmode_ = DriverDevMode(device_);
}

void Printer::SetLandscape(bool landscape) {
  if (device_.empty()) LoadDefault();
  if (devmode_.empty()) devmode_ = DriverDevMode(device_);
  DEVMODEA* dm = DevModeIn(devmode_);
  if (!dm || !(dm->dmFields & DM_ORIENTATION))
    throw Error("選択されたプリンタではサポートされていない機能です");
  dm->dmOrientation = landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
}

void Printer::BeginDoc(const std::string& title) {
  if (dc_) throw Error("印刷はすでに開始されています");
  if (device_.empty()) LoadDefault();
  const DEVMODEA* dm = DevModeIn(devmode_);
  CreatedDC dc(CreateDCA("WINSPOOL", device_.c_str(), nullptr, dm));
  if (!dc) Fail(GetLastError(), "プリンタを開くことができません");
  DOCINFOA info{};
  info.cbSize = sizeof info;
  info.lpszDocName = title.c_str();
  if (StartDocA(dc.get(), &info) <= 0) Fail(GetLastError(), "印刷を開始できません");
  if (StartPage(dc.get()) <= 0) {
    DWORD code = GetLastError();
    AbortDoc(dc.get());
    Fail(code, "印刷を開始できません");
  }
  dc_ = std::move(dc);
}

void Printer::EndDoc() {
  if (!dc_) return;
  const CreatedDC dc = std::move(dc_);
  DWORD code = 0;
  bool ok = EndPage(dc.get()) > 0;
  if (!ok) code = GetLastError();
  if (ok) {
    ok = ::EndDoc(dc.get()) > 0;
    if (!ok) code = GetLastError();
  } else {
    AbortDoc(dc.get());
  }
  if (!ok) Fail(code, "印刷を終了できません");
}

int Printer::PageWidth() const { return dc_ ? GetDeviceCaps(dc_.get(), HORZRES) : 0; }

int Printer::PageHeight() const { return dc_ ? GetDeviceCaps(dc_.get(), VERTRES) : 0; }

}  // namespace qtk

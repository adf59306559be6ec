// Metafiles are played in a process of their own: the system's players trust the records they
// are given, and a fault in them (heap damage included) can then end only that process. The
// player is this same program started with a switch of its own; it gets one block of shared
// memory (the metafile, how to map it, and the pixels to draw over) and nothing else of ours.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "toolkit/error.h"
#include "toolkit/gdi.h"
#include "toolkit/metafile.h"

namespace qtk {

void (*metafilePlayerStarting)() = nullptr;

namespace {

constexpr char kSwitch[] = "--qtk-play-metafile";
constexpr uint32_t kAsked = 0x514D4650;   // "PFMQ": a request in the block
constexpr uint32_t kPlayed = 0x444E4F44;  // written by the player once every record has run
// A picture that takes longer than this is not coming: the player is ended.
constexpr DWORD kTimeLimitMs = 4000;

// The head of the shared block; the metafile's bytes and the 24-bit top-down pixels follow.
struct Request {
  uint32_t magic;
  uint32_t enhanced;
  int32_t mapMode;
  int32_t window[4];  // left, top, right, bottom
  int32_t width, height;
  uint32_t bytesOffset, bytesSize;
  uint64_t pixelsOffset, total;
  volatile uint32_t played;
};
constexpr uint64_t kHeadSize = 128;
static_assert(sizeof(Request) <= kHeadSize);

uint64_t Stride(int32_t width) { return (uint64_t(width) * 3 + 3) & ~uint64_t{3}; }

class View {
public:
  explicit View(HANDLE section) : p_(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, 0)) {}
  ~View() {
    if (p_) UnmapViewOfFile(p_);
  }
  View(const View&) = delete;
  View& operator=(const View&) = delete;
  uint8_t* get() const { return static_cast<uint8_t*>(p_); }

private:
  void* p_;
};

std::wstring ThisProgram() {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  return path;
}

// Players go with this process, however it ends: none is left playing a loop on its own.
HANDLE PlayersJob() {
  static const HANDLE job = [] {
    HANDLE h = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (h) SetInformationJobObject(h, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return h;
  }();
  return job;
}

// Starts the player on the block; its process handle, or null.
HANDLE StartPlayer(HANDLE section) {
  const std::wstring exe = ThisProgram();
  std::wstring command = L"\"" + exe + L"\" " + std::wstring(kSwitch, kSwitch + sizeof kSwitch - 1) +
                         L" " + std::to_wstring(reinterpret_cast<uintptr_t>(section));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                      nullptr, nullptr, &si, &pi))
    return nullptr;
  if (PlayersJob()) AssignProcessToJobObject(PlayersJob(), pi.hProcess);  // fails where jobs cannot nest
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

// True when the player ended by itself with success within the time limit; else it is ended.
bool AwaitPlayer(HANDLE process, HANDLE cancel) {
  const HANDLE waits[2] = {process, cancel};
  const DWORD woke = WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, kTimeLimitMs);
  if (woke != WAIT_OBJECT_0) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 2000);
    return false;
  }
  DWORD code = 1;
  return GetExitCodeProcess(process, &code) && code == 0;
}

}  // namespace

void PlayMetafile(const MetafileBits& m, Bitmap& into, HANDLE cancel) {
  if (into.Empty() || m.bytes.empty() || m.bytes.size() > UINT32_MAX - kHeadSize)
    throw Error(m.failure);
  const uint64_t pixelBytes = Stride(into.Width()) * uint64_t(into.Height());
  const uint64_t pixelsOffset = (kHeadSize + m.bytes.size() + 15) & ~uint64_t{15};
  const uint64_t total = pixelsOffset + pixelBytes;
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  KernelHandle section(CreateFileMappingW(INVALID_HANDLE_VALUE, &inherited, PAGE_READWRITE,
                                    static_cast<DWORD>(total >> 32), static_cast<DWORD>(total),
                                    nullptr));
  if (!section.get()) throw Error(m.failure);
  View view(section.get());
  if (!view.get()) throw Error(m.failure);
  auto* request = reinterpret_cast<Request*>(view.get());
  request->magic = kAsked;
  request->enhanced = m.format == MetafileBits::Format::Enhanced;
  request->mapMode = m.mapMode;
  const RECT& w = m.window;
  for (int32_t i = 0; const LONG v : {w.left, w.top, w.right, w.bottom}) request->window[i++] = v;
  request->width = into.Width();
  request->height = into.Height();
  request->bytesOffset = static_cast<uint32_t>(kHeadSize);
  request->bytesSize = static_cast<uint32_t>(m.bytes.size());
  request->pixelsOffset = pixelsOffset;
  request->total = total;
  request->played = 0;
  std::memcpy(view.get() + kHeadSize, m.bytes.data(), m.bytes.size());
  GdiFlush();  // drawing still queued for `into` lands before its pixels are read
  std::memcpy(view.get() + pixelsOffset, into.Bits(), pixelBytes);

  KernelHandle player(StartPlayer(section.get()));
  if (!player.get() || !AwaitPlayer(player.get(), cancel) || request->played != kPlayed)
    throw Error(m.failure);
  std::memcpy(into.Bits(), view.get() + pixelsOffset, pixelBytes);
}

namespace {

// Wine's debugger would hold a faulted player alive until its time ran out: end at once.
LONG WINAPI EndAtOnce(EXCEPTION_POINTERS* pointers) {
  TerminateProcess(GetCurrentProcess(), pointers->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

bool Play(const Request& r, const uint8_t* block, uint8_t* pixels) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = r.width;
  bi.bmiHeader.biHeight = -r.height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  // A surface made for this playback alone, in the state the system gives a new one.
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dib || !dc) return false;
  SelectObject(dc, dib);
  const size_t size = Stride(r.width) * size_t(r.height);
  std::memcpy(bits, pixels, size);
  const BYTE* bytes = block + r.bytesOffset;
  if (r.enhanced) {
    HENHMETAFILE emf = SetEnhMetaFileBits(r.bytesSize, bytes);
    if (!emf) return false;
    const RECT all{0, 0, r.width, r.height};
    PlayEnhMetaFile(dc, emf, &all);
  } else {
    HMETAFILE wmf = SetMetaFileBitsEx(r.bytesSize, bytes);
    if (!wmf) return false;
    // The window first: an isotropic mapping fits the viewport to it.
    SetMapMode(dc, r.mapMode);
    SetWindowOrgEx(dc, r.window[0], r.window[1], nullptr);
    SetWindowExtEx(dc, r.window[2] - r.window[0], r.window[3] - r.window[1], nullptr);
    SetViewportExtEx(dc, r.width, r.height, nullptr);
    PlayMetaFile(dc, wmf);
  }
  GdiFlush();
  std::memcpy(pixels, bits, size);
  return true;
}

}  // namespace

int RunMetafilePlayerIfAsked(int argc, char** argv) {
  if (argc < 3 || std::strcmp(argv[1], kSwitch) != 0) return -1;
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndAtOnce);
  const auto section = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(argv[2], nullptr, 10)));
  View view(section);
  MEMORY_BASIC_INFORMATION info{};
  if (!view.get() || !VirtualQuery(view.get(), &info, sizeof info)) return 2;
  const auto& r = *reinterpret_cast<const Request*>(view.get());
  // The block is the parent's, but nothing in it is taken on trust either.
  if (info.RegionSize < kHeadSize || r.magic != kAsked || r.total > info.RegionSize ||
      r.width <= 0 || r.height <= 0 || r.bytesOffset < kHeadSize ||
      uint64_t{r.bytesOffset} + r.bytesSize > r.pixelsOffset ||
      r.pixelsOffset + Stride(r.width) * uint64_t(r.height) > r.total)
    return 2;
  if (metafilePlayerStarting) metafilePlayerStarting();
  if (!Play(r, view.get(), view.get() + r.pixelsOffset)) return 3;
  reinterpret_cast<Request*>(view.get())->played = kPlayed;
  return 0;
}

}  // namespace qtk

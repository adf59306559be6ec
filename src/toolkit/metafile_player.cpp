// Metafiles are played in a process of their own: the system's players trust the records they
// are given, and a fault in them (heap damage included) can then end only that process. The
// player is this same program started with a switch of its own; it gets one block of shared
// memory (the metafile, how to map it, and the pixels to draw over) and nothing else of ours.
// It plays one record at a time and notes in the block which one it is at, so that when a record
// brings it down the next player can step over that record and draw everything else.
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
void (*metafilePlayerRecord)(uint32_t record) = nullptr;
int metafilePlayersStarted = 0;

namespace {

constexpr char kSwitch[] = "--qtk-play-metafile";
constexpr uint32_t kAsked = 0x514D4650;   // "PFMQ": a request in the block
constexpr uint32_t kPlayed = 0x444E4F44;  // written by the player once every record has run
// A picture that takes longer than this, restarts included, is not coming: the player is ended.
constexpr DWORD kTimeLimitMs = 4000;
// Records a player may fall over before the file counts as one the system cannot play.
constexpr uint32_t kMaxSkipped = 8;
constexpr uint32_t kNoRecord = UINT32_MAX;
constexpr char kCannotStart[] = "メタファイルを再生する準備ができません";

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
  volatile uint32_t record;  // the record being played (from 0, the header), or kNoRecord
  volatile uint32_t drawn;   // records played other than the header and the end
  uint32_t skippedCount;
  uint32_t skipped[kMaxSkipped];  // records earlier players fell over, not to be played
};
constexpr uint64_t kHeadSize = 128;
static_assert(sizeof(Request) <= kHeadSize);

uint64_t Stride(int32_t width) { return (uint64_t(width) * 3 + 3) & ~uint64_t{3}; }

MappedView MapWhole(HANDLE section) {
  return MappedView(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, 0));
}
uint8_t* Bytes(const MappedView& view) { return static_cast<uint8_t*>(view.get()); }

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
  std::wstring command = L"\"" + exe + L"\" " +
                         std::wstring(kSwitch, kSwitch + sizeof kSwitch - 1) + L" " +
                         std::to_wstring(reinterpret_cast<uintptr_t>(section));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                      nullptr, nullptr, &si, &pi))
    return nullptr;
  if (PlayersJob())
    AssignProcessToJobObject(PlayersJob(), pi.hProcess);  // fails where jobs cannot nest
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  ++metafilePlayersStarted;
  return pi.hProcess;
}

enum class Ending { Played, Failed, Stopped };

// How the player ended: by itself with success, by itself otherwise (a fault, or a refusal), or
// stopped here because the deadline passed or `cancel` was set.
Ending AwaitPlayer(HANDLE process, HANDLE cancel, ULONGLONG deadline) {
  const ULONGLONG now = GetTickCount64();
  const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
  const HANDLE waits[2] = {process, cancel};
  const DWORD woke = WaitForMultipleObjects(cancel ? 2 : 1, waits, FALSE, left);
  if (woke != WAIT_OBJECT_0) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 2000);
    return Ending::Stopped;
  }
  DWORD code = 1;
  return GetExitCodeProcess(process, &code) && code == 0 ? Ending::Played : Ending::Failed;
}

bool IsSkipped(const Request& r, uint32_t record) {
  for (uint32_t i = 0; i < r.skippedCount && i < kMaxSkipped; ++i)
    if (r.skipped[i] == record) return true;
  return false;
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
                                          static_cast<DWORD>(total >> 32),
                                          static_cast<DWORD>(total), nullptr));
  // What fails here is the system, not the file: the message says which call and why.
  if (!section.get()) ThrowCallFailed(kCannotStart, "CreateFileMapping");
  const MappedView view = MapWhole(section.get());
  if (!view.get()) ThrowCallFailed(kCannotStart, "MapViewOfFile");
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
  request->skippedCount = 0;
  std::memcpy(Bytes(view) + kHeadSize, m.bytes.data(), m.bytes.size());
  GdiFlush();  // drawing still queued for `into` lands before its pixels are read
  std::memcpy(Bytes(view) + pixelsOffset, into.Bits(), pixelBytes);

  // The pixels in the block change only when a player has played to the end, so every restart
  // draws over the same picture.
  const ULONGLONG deadline = GetTickCount64() + kTimeLimitMs;
  for (;;) {
    request->played = 0;
    request->record = kNoRecord;
    request->drawn = 0;
    KernelHandle player(StartPlayer(section.get()));
    if (!player.get()) ThrowCallFailed(kCannotStart, "CreateProcess");
    const Ending ending = AwaitPlayer(player.get(), cancel, deadline);
    if (ending == Ending::Played && request->played == kPlayed) break;
    const uint32_t at = request->record;
    if (ending != Ending::Failed || at == kNoRecord || IsSkipped(*request, at) ||
        request->skippedCount == kMaxSkipped)
      throw Error(m.failure);
    request->skipped[request->skippedCount++] = at;
  }
  if (request->skippedCount > 0 && request->drawn == 0) throw Error(m.failure);  // nothing drawn
  std::memcpy(into.Bits(), Bytes(view) + pixelsOffset, pixelBytes);
}

namespace {

// Wine's debugger would hold a faulted player alive until its time ran out: end at once.
LONG WINAPI EndAtOnce(EXCEPTION_POINTERS* pointers) {
  TerminateProcess(GetCurrentProcess(), pointers->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

struct Playback {
  Request& shared;
  uint32_t next = 0;
  // Notes the record about to be played; false for one that is stepped over.
  bool Begin() {
    const uint32_t record = next++;
    shared.record = record;
    if (IsSkipped(shared, record)) return false;
    if (metafilePlayerRecord) metafilePlayerRecord(record);
    return true;
  }
};

int CALLBACK PlayEnhancedRecord(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record,
                                int handles, LPARAM data) {
  auto& playback = *reinterpret_cast<Playback*>(data);
  if (!playback.Begin()) return 1;
  PlayEnhMetaFileRecord(dc, table, record, static_cast<UINT>(handles));
  if (record->iType != EMR_HEADER && record->iType != EMR_EOF) playback.shared.drawn += 1;
  return 1;
}

int CALLBACK PlayWindowsRecord(HDC dc, HANDLETABLE* table, METARECORD* record, int handles,
                               LPARAM data) {
  auto& playback = *reinterpret_cast<Playback*>(data);
  if (!playback.Begin()) return 1;
  PlayMetaFileRecord(dc, table, record, static_cast<UINT>(handles));
  if (record->rdFunction != 0) playback.shared.drawn += 1;  // 0: the end record
  return 1;
}

bool Play(Request& r, const uint8_t* block, uint8_t* pixels) {
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
    Playback playback{r};
    EnumEnhMetaFile(dc, emf, PlayEnhancedRecord, &playback, &all);
  } else {
    HMETAFILE wmf = SetMetaFileBitsEx(r.bytesSize, bytes);
    if (!wmf) return false;
    // The window first: an isotropic mapping fits the viewport to it.
    SetMapMode(dc, r.mapMode);
    SetWindowOrgEx(dc, r.window[0], r.window[1], nullptr);
    SetWindowExtEx(dc, r.window[2] - r.window[0], r.window[3] - r.window[1], nullptr);
    SetViewportExtEx(dc, r.width, r.height, nullptr);
    Playback playback{r};
    EnumMetaFile(dc, wmf, PlayWindowsRecord, reinterpret_cast<LPARAM>(&playback));
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
  const auto section =
      reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoull(argv[2], nullptr, 10)));
  const MappedView view = MapWhole(section);
  MEMORY_BASIC_INFORMATION info{};
  if (!view.get() || !VirtualQuery(view.get(), &info, sizeof info)) return 2;
  auto& r = *reinterpret_cast<Request*>(view.get());
  // The block is the parent's, but nothing in it is taken on trust either.
  if (info.RegionSize < kHeadSize || r.magic != kAsked || r.total > info.RegionSize ||
      r.width <= 0 || r.height <= 0 || r.bytesOffset < kHeadSize ||
      uint64_t{r.bytesOffset} + r.bytesSize > r.pixelsOffset ||
      r.pixelsOffset + Stride(r.width) * uint64_t(r.height) > r.total ||
      r.skippedCount > kMaxSkipped)
    return 2;
  if (metafilePlayerStarting) metafilePlayerStarting();
  if (!Play(r, Bytes(view), Bytes(view) + r.pixelsOffset)) return 3;
  r.played = kPlayed;
  return 0;
}

}  // namespace qtk

#include "support/watchdog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace quillora::testing_support {
namespace {

std::atomic<long long> g_testStart{0};
std::atomic<bool> g_inTest{false};

// <chrono> cannot be used: one of its literals has no code page 932 form.
long long NowMs() { return static_cast<long long>(GetTickCount64()); }

class Watchdog : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    g_testStart = NowMs();
    g_inTest = true;
  }
  void OnTestEnd(const testing::TestInfo&) override { g_inTest = false; }
};

void PrintFrame(DWORD64 pc) {
  HMODULE module = nullptr;
  char name[MAX_PATH] = "?";
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(pc), &module))
    GetModuleFileNameA(module, name, sizeof name);
  std::fprintf(stderr, "  %s+%llx\n", name, pc - reinterpret_cast<DWORD64>(module));
}

// A fault names the test and its stack and ends the program; Wine's debugger would instead hold
// the process frozen until the run's time limit.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* e) {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::fprintf(stderr, "\nCRASH in %s.%s: exception %08lx, address %llx\n",
               info ? info->test_suite_name() : "?", info ? info->name() : "?",
               e->ExceptionRecord->ExceptionCode,
               static_cast<unsigned long long>(e->ExceptionRecord->ExceptionInformation[1]));
  CONTEXT c = *e->ContextRecord;
  for (int i = 0; i < 32 && c.Rip; ++i) {
    PrintFrame(c.Rip);
    DWORD64 base = 0, frame = 0;
    void* data = nullptr;
    if (auto* fn = RtlLookupFunctionEntry(c.Rip, &base, nullptr)) {
      RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, c.Rip, fn, &c, &data, &frame, nullptr);
    } else {  // a leaf function: the return address is on top of the stack
      c.Rip = *reinterpret_cast<DWORD64*>(c.Rsp);
      c.Rsp += 8;
    }
  }
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 4);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void StartWatchdog(long long limitMs) {
  testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
  SetUnhandledExceptionFilter(ReportCrash);
  std::thread([limitMs] {
    for (;;) {
      Sleep(500);
      if (g_inTest && NowMs() - g_testStart > limitMs) {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        std::fprintf(stderr, "\nTIMEOUT: %s.%s ran over %lld ms (a modal box left open?)\n",
                     info ? info->test_suite_name() : "?", info ? info->name() : "?", limitMs);
        std::fflush(stderr);
        ExitProcess(3);
      }
    }
  }).detach();
}

}  // namespace quillora::testing_support

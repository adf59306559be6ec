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

}  // namespace

void StartWatchdog(long long limitMs) {
  testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
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

// Test entry under Wine: the application object, and a watchdog that fails a test which hangs
// (a modal box nobody answers) instead of letting it block the run.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "support/editor_fixture.h"
#include "toolkit/app.h"

namespace {

std::atomic<long long> g_testStart{0};
std::atomic<bool> g_inTest{false};
constexpr long long kTestLimitMs = 60000;

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

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  qtk::Application::Get().Initialize(GetModuleHandleA(nullptr));
  qtk::Application::Get().SetTitle("Quillora");
  // No test may show a real message box: an unexpected one fails the test at once.
  quillora::testing_support::FailOnMessageBox();
  testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
  std::thread([] {
    for (;;) {
      Sleep(500);
      if (g_inTest && NowMs() - g_testStart > kTestLimitMs) {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        std::fprintf(stderr, "\nTIMEOUT: %s.%s ran over %lld ms (a modal box left open?)\n",
                     info ? info->test_suite_name() : "?", info ? info->name() : "?", kTestLimitMs);
        std::fflush(stderr);
        ExitProcess(3);
      }
    }
  }).detach();
  return RUN_ALL_TESTS();
}

// Test entry under Wine: the application object, no real message box, and a watchdog.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/editor_fixture.h"
#include "support/watchdog.h"
#include "toolkit/app.h"
#include "toolkit/metafile.h"

namespace {

uint32_t faultAtRecord = UINT32_MAX;

void Fault() { *reinterpret_cast<volatile int*>(uintptr_t{16}) = 1; }

// The player the editor starts is this test program; a test can make it fault, hang or stop
// before it plays, or fault at record N ("fault@N"), through the environment it passes on.
void PlayerMisbehaves() {
  char how[16] = {};
  GetEnvironmentVariableA("QUILLORA_TEST_PLAYER", how, sizeof how);
  if (std::string(how) == "fault") Fault();
  if (std::string(how) == "hang") Sleep(INFINITE);
  if (std::string(how) == "stop") ExitProcess(0);
  if (std::string(how).starts_with("fault@")) faultAtRecord = std::stoul(how + 6);
}

}  // namespace

int main(int argc, char** argv) {
  qtk::metafilePlayerStarting = PlayerMisbehaves;
  qtk::metafilePlayerRecord = [](uint32_t record) {
    if (record == faultAtRecord) Fault();
  };
  if (const int code = qtk::RunMetafilePlayerIfAsked(argc, argv); code >= 0) return code;
  testing::InitGoogleTest(&argc, argv);
  qtk::Application::Get().Initialize(GetModuleHandleA(nullptr));
  qtk::Application::Get().SetTitle("Quillora");
  // No test may show a real message box: an unexpected one fails the test at once.
  quillora::testing_support::FailOnMessageBox();
  quillora::testing_support::StartWatchdog(60000);
  return RUN_ALL_TESTS();
}

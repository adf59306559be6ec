// Test entry under Wine: the application object, no real message box, and a watchdog.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/editor_fixture.h"
#include "support/watchdog.h"
#include "toolkit/app.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  qtk::Application::Get().Initialize(GetModuleHandleA(nullptr));
  qtk::Application::Get().SetTitle("Quillora");
  // No test may show a real message box: an unexpected one fails the test at once.
  quillora::testing_support::FailOnMessageBox();
  quillora::testing_support::StartWatchdog(60000);
  return RUN_ALL_TESTS();
}

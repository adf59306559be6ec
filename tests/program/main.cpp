// Entry of the tests that drive the shipped program from outside.
#include <gtest/gtest.h>

#include "support/watchdog.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  quillora::testing_support::StartWatchdog(90000);
  return RUN_ALL_TESTS();
}

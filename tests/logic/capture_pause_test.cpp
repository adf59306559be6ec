#include "launcher/logic/capture_pause.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

// A tick source where time only moves while messages are pumped, as it does in the real loop.
struct FakeClock {
  uint32_t now;
  uint32_t step;
  int pumps = 0;
  int cancelAfter = -1;  // -1: never cancelled
  uint32_t lastSeen = 0;

  bool Run(uint32_t ms) {
    return CapturePause(
        ms, [this] { return lastSeen = now; },
        [this] {
          ++pumps;
          now += step;
        },
        [this] { return pumps == cancelAfter; });
  }
};

TEST(CapturePause, CapturePause_Should_ReturnTrueJustAfterTheDuration_When_NotCancelled) {
  for (uint32_t start : {0u, 1000u, 0xFFFFFF00u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(start);
    FakeClock clock{start, 1};
    EXPECT_TRUE(clock.Run(700));
    EXPECT_EQ(static_cast<uint32_t>(clock.lastSeen - start), 701u);
    EXPECT_EQ(clock.pumps, 701);
  }
}

TEST(CapturePause, CapturePause_Should_StopAtFirstTickPastTheDuration_When_TicksJump) {
  FakeClock clock{0xFFFFFFF0u, 16};
  EXPECT_TRUE(clock.Run(700));
  EXPECT_EQ(static_cast<uint32_t>(clock.lastSeen - 0xFFFFFFF0u), 704u);
  EXPECT_EQ(clock.pumps, 44);
}

TEST(CapturePause, CapturePause_Should_ReadTheTickEveryIteration) {
  // The tick advances on its own, with no pumping involved: the pause must still end.
  uint32_t now = 0xFFFFFF00u;
  int pumps = 0;
  EXPECT_TRUE(CapturePause(
      700, [&] { return now++; }, [&] { ++pumps; }, [] { return false; }));
  EXPECT_EQ(now - 0xFFFFFF00u, 702u);  // start read plus 701 comparisons
  EXPECT_EQ(pumps, 700);
}

TEST(CapturePause, CapturePause_Should_PumpAtLeastOnce_When_DurationIsZero) {
  FakeClock clock{5, 1};
  EXPECT_TRUE(clock.Run(0));
  EXPECT_EQ(clock.pumps, 1);
}

TEST(CapturePause, CapturePause_Should_ReturnFalseAtOnce_When_Cancelled) {
  FakeClock clock{0xFFFFFF00u, 1};
  clock.cancelAfter = 3;
  EXPECT_FALSE(clock.Run(700));
  EXPECT_EQ(clock.pumps, 3);

  FakeClock first{0, 1};
  first.cancelAfter = 1;
  EXPECT_FALSE(first.Run(700));
  EXPECT_EQ(first.pumps, 1);
}

}  // namespace
}  // namespace quillora

#include "engine/walk_guard.h"

#include <gtest/gtest.h>

namespace reelbox {
namespace {

WalkPosition At(std::int32_t block, std::int32_t loopCount = 0) { return WalkPosition{block, 0, loopCount, 0, 0}; }

// Steps through the positions of a cycle after a lead-in; the step at which
// the guard calls the walk endless, or -1.
int StepsToCatch(int leadIn, int cycle, int limit) {
  WalkGuard guard;
  for (int step = 0; step < limit; ++step) {
    const int index = step < leadIn ? step : leadIn + (step - leadIn) % cycle;
    if (!guard.Step(At(index), 1000)) return step;
  }
  return -1;
}

TEST(WalkGuard, CatchesEveryCycleWithinAFewTimesItsLength) {
  for (int cycle : {1, 2, 3, 7, 100, 65537}) {
    for (int leadIn : {0, 1, 50}) {
      const int caught = StepsToCatch(leadIn, cycle, 10 * (cycle + leadIn) + 10);
      EXPECT_GE(caught, leadIn + cycle) << cycle << " " << leadIn;
      EXPECT_LE(caught, 2 * (leadIn + cycle) + cycle + 2) << cycle << " " << leadIn;
    }
  }
}

TEST(WalkGuard, CapsFiniteWalksThatTakeTooLong) {
  WalkGuard guard;
  std::uint64_t steps = 0;
  for (std::int32_t block = 0;; ++block, ++steps) {
    if (!guard.Step(At(block), 10)) break;
  }
  EXPECT_EQ(WalkGuard::STEP_ALLOWANCE + 40, steps);
}

}  // namespace
}  // namespace reelbox

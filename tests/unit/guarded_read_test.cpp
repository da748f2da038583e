#include "platform/guarded_read.h"

#include <gtest/gtest.h>

namespace reelbox {
namespace {

TEST(GuardedRead, CallsNestOnOneThread) {
  int depth = 0;
  auto inner = [&depth]() -> HResult { return ++depth == 2 ? RESULT_FALSE : RESULT_FAIL; };
  auto outer = [&depth, &inner]() -> HResult {
    ++depth;
    return platform::RunGuarded(inner);
  };
  EXPECT_EQ(RESULT_FALSE, platform::RunGuarded(outer));
  EXPECT_EQ(2, depth);
}

}  // namespace
}  // namespace reelbox

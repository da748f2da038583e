// Guarded reads of file views, and memory sections that stand in for views: on
// the heap, in one huge page and across several.
#include <gtest/gtest.h>

#include <memory>

#include "platform/guarded_read.h"
#include "platform/memory_section.h"

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

TEST(MemorySection, IsZeroedWritableAndServesAsAView) {
  for (std::size_t size : {100000u, 300000u, 5000000u}) {
    std::unique_ptr<platform::MemorySection> section;
    ASSERT_EQ(RESULT_OK, platform::CreateMemorySection(size, &section));
    EXPECT_EQ(size, section->Size());
    EXPECT_EQ(0, section->Data()[size - 1]);
    section->WritableData()[size - 1] = 0x5A;
    std::unique_ptr<platform::MappedView> view = std::move(section);
    EXPECT_EQ(0x5A, view->Data()[size - 1]) << size;
  }
}

}  // namespace
}  // namespace reelbox

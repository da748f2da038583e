// Memory sections of each size class: on the heap, in one huge page and across several.
#include <gtest/gtest.h>

#include <memory>

#include "platform/memory_section.h"

namespace reelbox {
namespace {

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

// The operating-system services behind the sampled-tape readers.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/memory_section.h"
#include "platform/temp_file.h"

namespace reelbox {
namespace {

std::size_t TemporaryFilesNamed(const std::string& prefix) {
  std::size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0) ++count;
  }
  return count;
}

TEST(TemporaryFile, IsReadWriteAndGoneOnceClosed) {
  const std::size_t before = TemporaryFilesNamed("rbt");
  {
    platform::File file;
    ASSERT_EQ(RESULT_OK, platform::CreateTemporaryFile("rbt", &file));
    platform::File other;
    ASSERT_EQ(RESULT_OK, platform::CreateTemporaryFile("rbt", &other));
    const char text[] = "pulses";
    ASSERT_EQ(RESULT_OK, file.Write(text, sizeof text));
    ASSERT_EQ(RESULT_OK, other.Write("x", 1));
    std::uint64_t size = 0;
    ASSERT_EQ(RESULT_OK, file.GetSize(&size));
    EXPECT_EQ(sizeof text, size) << "each call makes a file of its own";
    ASSERT_EQ(RESULT_OK, file.Seek(0));
    char back[sizeof text] = {};
    std::uint32_t got = 0;
    ASSERT_EQ(RESULT_OK, file.Read(back, sizeof back, &got));
    EXPECT_EQ(std::string(text), std::string(back));
  }
  EXPECT_EQ(before, TemporaryFilesNamed("rbt"));
}

// Sizes held on the heap, in one huge page and across several.
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

TEST(MemorySection, OfNoBytesFails) {
  std::unique_ptr<platform::MemorySection> section;
  EXPECT_TRUE(Failed(platform::CreateMemorySection(0, &section)));
  EXPECT_EQ(nullptr, section);
}

}  // namespace
}  // namespace reelbox

// Files and views as Windows gives them: shared reading, sharing violations
// and views that outlive their file.
#include "platform/file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/system_error.h"

namespace reelbox::platform {
namespace {

constexpr HResult FILE_NOT_FOUND = static_cast<HResult>(0x80070002u);
constexpr HResult SHARING_VIOLATION = static_cast<HResult>(0x80070020u);
constexpr HResult INVALID_PARAMETER = static_cast<HResult>(0x80070057u);

class Win32File : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    path = std::string(folder) + "reelbox_file_" + std::to_string(GetCurrentProcessId()) + ".bin";
  }
  void TearDown() override { DeleteFileA(path.c_str()); }

  void Write(const char* text) {
    File file;
    ASSERT_EQ(RESULT_OK, file.OpenForReadWrite(path.c_str(), true));
    ASSERT_EQ(RESULT_OK, file.Write(text, static_cast<std::uint32_t>(std::strlen(text))));
  }

  std::string path;
};

TEST_F(Win32File, ReadersShareAndWritersAreRefused) {
  Write("reel");
  File first;
  File second;
  ASSERT_EQ(RESULT_OK, first.OpenForSharedRead(path.c_str()));
  EXPECT_EQ(RESULT_OK, second.OpenForSequentialRead(path.c_str()));
  File writer;
  EXPECT_EQ(SHARING_VIOLATION, writer.OpenForReadWrite(path.c_str(), false));
  EXPECT_EQ(32, LastSystemError());
  EXPECT_FALSE(writer.IsOpen());
}

TEST_F(Win32File, MissingFileGivesFileNotFound) {
  File file;
  EXPECT_EQ(FILE_NOT_FOUND, file.OpenForSharedRead((path + ".absent").c_str()));
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(Win32File, ViewOutlivesTheFile) {
  Write("cassette");
  std::unique_ptr<MappedView> view;
  {
    File file;
    ASSERT_EQ(RESULT_OK, file.OpenForSharedRead(path.c_str()));
    std::uint64_t size = 0;
    ASSERT_EQ(RESULT_OK, file.GetSize(&size));
    ASSERT_EQ(8u, size);
    ASSERT_EQ(RESULT_OK, MapReadOnly(file, size, &view));
  }
  ASSERT_EQ(8u, view->Size());
  EXPECT_EQ(0, std::memcmp("cassette", view->Data(), 8));
}

TEST_F(Win32File, EmptyFileCannotBeMapped) {
  Write("");
  File file;
  ASSERT_EQ(RESULT_OK, file.OpenForSharedRead(path.c_str()));
  std::unique_ptr<MappedView> view;
  EXPECT_EQ(INVALID_PARAMETER, MapReadOnly(file, 0, &view));
  EXPECT_EQ(nullptr, view);
}

TEST_F(Win32File, SeekTellAndShortReads) {
  Write("0123456789");
  File file;
  ASSERT_EQ(RESULT_OK, file.OpenForReadWrite(path.c_str(), false));
  ASSERT_EQ(RESULT_OK, file.Seek(6));
  char buffer[8] = {};
  std::uint32_t got = 0;
  ASSERT_EQ(RESULT_OK, file.Read(buffer, sizeof buffer, &got));
  EXPECT_EQ(4u, got);
  EXPECT_EQ(0, std::memcmp("6789", buffer, 4));
  ASSERT_EQ(RESULT_OK, file.Read(buffer, sizeof buffer, &got));
  EXPECT_EQ(0u, got);
  std::uint64_t at = 0;
  ASSERT_EQ(RESULT_OK, file.Tell(&at));
  EXPECT_EQ(10u, at);
}

}  // namespace
}  // namespace reelbox::platform

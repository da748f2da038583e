// A failed write of recorded blocks under Windows: the system's own message
// box, read back through its controls, photographed, and answered with mouse
// clicks once the file is free again: Retry writes every block, Cancel none.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tape/tap_reader.h"
#include "ui/recorded_blocks_writer.h"
#include "unit/tape_files.h"
#include "unit/tzx_builder.h"
#include "windows/test_host.h"

namespace reelbox::test {
namespace {

// A recorded block as the save trap makes it: a standard block with a pause of 1000 ms.
TapeBlock* RecordedBlock(const Bytes& data) {
  const Bytes block = StandardBlock(1000, data);
  return NewOwnedBlock(block.data(), static_cast<std::uint32_t>(block.size()));
}

Bytes FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string SystemText(DWORD error) {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                 MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
  std::string trimmed = text;
  while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.back()))) trimmed.pop_back();
  return trimmed;
}

TEST(UpdateErrorBox, RetryOnceTheFileIsFreeWritesAllAndCancelLeavesTheTape) {
  if (GetSystemMetrics(SM_CXSCREEN) <= 0) GTEST_SKIP() << "no display: run under xvfb-run";
  const struct {
    const char* answer;
    const char* shot;
    bool written;
  } cases[] = {{"&Retry", "update-error-box.png", true}, {"Cancel", "update-error-box-cancel.png", false}};
  const ScratchFolder folder;
  const Bytes first = TapRecord(DataBlockData(0xFF, 30));
  const Bytes header = HeaderData(3, "recorded", 300, 32768), data = DataBlockData(0xFF, 300);
  for (const auto& box : cases) {
    // A tape of one record, read in (the tape holds the file mapped), then held
    // open by another program that shares nothing until it lets go.
    const std::string path = folder.Write("reelbox-record.tap", first);
    TapeBlockList tape;
    ASSERT_TRUE(Succeeded(ReadTapFile(tape, path.c_str())));
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    TapeBlock* list = RecordedBlock(header);
    list->next = RecordedBlock(data);

    DialogSeen seen;
    bool clicked = false;
    std::thread person([&] {
      seen = SeeDialog(nullptr, "Kestrelix", box.shot);
      CloseHandle(holder);
      clicked = ClickAway(seen.dialog, ButtonWithText(seen.dialog, box.answer));
    });
    WriteRecordedBlocks(RecordingTarget{nullptr, nullptr, nullptr, path.c_str(), &tape, nullptr, nullptr}, &list);
    person.join();

    EXPECT_EQ("Kestrelix cannot update reelbox-record.tap.\n\n" + SystemText(ERROR_SHARING_VIOLATION), seen.text);
    EXPECT_EQ((std::vector<std::string>{"&Retry", "Cancel"}), seen.buttons);
    EXPECT_TRUE(seen.photographed && clicked) << box.answer;
    EXPECT_EQ(nullptr, list);
    const Bytes expected = box.written ? Concat({first, TapRecord(header), TapRecord(data)}) : first;
    EXPECT_EQ(expected, FileBytes(path)) << box.answer;
    EXPECT_EQ(box.written ? 3 : 1, tape.GetCount()) << box.answer;
    tape.Clear();
  }
}

}  // namespace
}  // namespace reelbox::test

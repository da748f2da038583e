#include "tape/tap_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/file.h"
#include "tape/byte_cursor.h"
#include "tape_files.h"

namespace reelbox {
namespace {

using test::Bytes;

const Bytes HEADER_19 = test::HeaderData(0, "run", 6, 10);
const Bytes BODY_6 = test::DataBlockData(0xFF, 4);
const Bytes TWO_RECORDS = test::Concat({test::TapRecord(HEADER_19), test::TapRecord(BODY_6)});

Bytes BlockBytes(const TapeBlock* block) { return Bytes(block->data, block->data + block->size); }

// Standard block 0x10, pause 1000 ms, then the record.
Bytes ExpectedBlock(const Bytes& record) {
  Bytes block = {0x10, 0xE8, 0x03};
  test::PutU16(block, static_cast<std::uint32_t>(record.size()));
  test::Append(block, record);
  return block;
}

class TapReader : public testing::Test {
 protected:
  // A tape that a failed or replacing load must deal with.
  void LoadPreviousTape() {
    const Bytes tap = test::TapRecord(test::DataBlockData(0xFF, 300));
    ASSERT_EQ(RESULT_OK, ReadTapFile(list, folder.Write("previous.tap", tap).c_str()));
    ASSERT_EQ(1, list.GetCount());
  }

  test::ScratchFolder folder;
  TapeBlockList list;
};

TEST_F(TapReader, EmptyFileIsAnEmptyRecordableTape) {
  LoadPreviousTape();
  EXPECT_EQ(RESULT_OK, ReadTapFile(list, folder.Write("empty.tap", {}).c_str()));
  EXPECT_EQ(0, list.GetCount());
  EXPECT_EQ(1u, list.standardOnly);
  EXPECT_EQ(1u, list.recordable);
  EXPECT_EQ(0u, list.hasSignalBlocks);
}

TEST_F(TapReader, EachRecordBecomesAStandardBlockOwningACopy) {
  ASSERT_EQ(RESULT_OK, ReadTapFile(list, folder.Write("two.tap", TWO_RECORDS).c_str()));
  ASSERT_EQ(2, list.GetCount());
  EXPECT_EQ(ExpectedBlock(HEADER_19), BlockBytes(list.GetBlock(0)));
  EXPECT_EQ(ExpectedBlock(BODY_6), BlockBytes(list.GetBlock(1)));
  for (std::int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(0x10, list.GetBlock(i)->id);
    EXPECT_EQ(1, list.GetBlock(i)->ownsData);
  }
  EXPECT_EQ(nullptr, list.MappedView());
  EXPECT_EQ(1u, list.standardOnly);
  EXPECT_EQ(1u, list.recordable);
  EXPECT_EQ(1u, list.hasSignalBlocks);
}

TEST_F(TapReader, EveryCutOfAFileKeepsTheRecordsBeforeIt) {
  const Bytes file = test::Concat({TWO_RECORDS, test::TapRecord({}), test::TapRecord(BODY_6)});
  const std::size_t ends[] = {2 + 19, 2 + 19 + 2 + 6, 2 + 19 + 2 + 6 + 2, file.size()};
  for (std::size_t cut = 0; cut <= file.size(); ++cut) {
    // Its own allocation of exactly cut bytes, so a read past it is caught.
    auto piece = std::make_unique<std::uint8_t[]>(cut);
    std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut), piece.get());
    ASSERT_EQ(RESULT_OK, ParseTap(list, piece.get(), cut));
    std::int32_t complete = 0;
    for (std::size_t end : ends) complete += end <= cut ? 1 : 0;
    EXPECT_EQ(complete, list.GetCount()) << "cut at " << cut;
  }
}

}  // namespace
}  // namespace reelbox

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

TEST_F(TapReader, RecordOfLengthZeroIsABlockWithoutData) {
  ASSERT_EQ(RESULT_OK, ReadTapFile(list, folder.Write("zero.tap", {0, 0}).c_str()));
  ASSERT_EQ(1, list.GetCount());
  EXPECT_EQ(ExpectedBlock({}), BlockBytes(list.GetBlock(0)));
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

TEST_F(TapReader, BlkFileIsTheSameFormat) {
  ASSERT_EQ(RESULT_OK, ReadTapFile(list, folder.Write("two.blk", TWO_RECORDS).c_str()));
  TapeBlockList fromTap;
  ASSERT_EQ(RESULT_OK, ReadTapFile(fromTap, folder.Write("two.tap", TWO_RECORDS).c_str()));
  ASSERT_EQ(fromTap.GetCount(), list.GetCount());
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    EXPECT_EQ(BlockBytes(fromTap.GetBlock(i)), BlockBytes(list.GetBlock(i)));
  }
}

TEST_F(TapReader, LongestRecordKeepsItsLength) {
  const Bytes record(0xFFFF, 0x5A);
  ASSERT_EQ(RESULT_OK, ReadTapFile(list, folder.Write("long.tap", test::TapRecord(record)).c_str()));
  ASSERT_EQ(1, list.GetCount());
  EXPECT_EQ(0xFFFFu + 5, list.GetBlock(0)->size);
  EXPECT_EQ(0xFFFF, ReadU16(list.GetBlock(0)->data + 3));
}

// Damaged files keep the records that are complete and drop the rest.
TEST_F(TapReader, IncompleteTailIsDropped) {
  const struct {
    const char* name;
    Bytes file;
    std::int32_t blocks;
  } cases[] = {
      {"stray byte", test::Concat({TWO_RECORDS, {0x13}}), 2},
      {"length only", test::Concat({TWO_RECORDS, {0x13, 0x00}}), 2},
      {"record cut short", test::Concat({TWO_RECORDS, {0x13, 0x00, 0x00, 0x03}}), 2},
      {"length past the end", test::Concat({{0xFF, 0xFF}, TWO_RECORDS}), 0},
      {"single byte", {0x01}, 0},
  };
  for (const auto& c : cases) {
    LoadPreviousTape();
    EXPECT_EQ(RESULT_OK, ReadTapFile(list, folder.Write("damaged.tap", c.file).c_str())) << c.name;
    EXPECT_EQ(c.blocks, list.GetCount()) << c.name;
    EXPECT_EQ(1u, list.recordable) << c.name;
  }
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

TEST_F(TapReader, FileThatCannotBeOpenedLeavesTheTape) {
  LoadPreviousTape();
  const std::string missing = (folder.Path() / "missing.tap").string();
  EXPECT_EQ(static_cast<HResult>(0x80070002u), ReadTapFile(list, missing.c_str()));
  EXPECT_EQ(static_cast<HResult>(0x80070005u), ReadTapFile(list, folder.Path().string().c_str()));
  EXPECT_EQ(1, list.GetCount());
}

// The file shrinks under its view: reading the lost pages faults, and the
// fault becomes a result code.
TEST_F(TapReader, ReadFaultOnTheViewFailsAndEmptiesTheList) {
  Bytes big;
  for (int i = 0; i < 40; ++i) test::Append(big, test::TapRecord(test::DataBlockData(0xFF, 4000)));
  const std::string path = folder.Write("shrinking.tap", big);
  platform::File file;
  ASSERT_EQ(RESULT_OK, file.OpenForSharedRead(path.c_str()));
  std::unique_ptr<platform::MappedView> view;
  ASSERT_EQ(RESULT_OK, platform::MapReadOnly(file, big.size(), &view));
  std::error_code error;
  std::filesystem::resize_file(path, 0, error);
  if (error) GTEST_SKIP() << "a mapped file cannot shrink here: " << error.message();

  LoadPreviousTape();
  const HResult result = ParseTap(list, view->Data(), view->Size());
  EXPECT_TRUE(Failed(result)) << std::hex << result;
  EXPECT_EQ(0, list.GetCount());
}

}  // namespace
}  // namespace reelbox

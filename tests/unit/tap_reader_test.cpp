#include "tape/tap_reader.h"

#include <gtest/gtest.h>

#include <memory>

#include "tape_files.h"

namespace reelbox::test {
namespace {

// A cut anywhere keeps the records that are whole before it, each as a
// standard block with a pause of 1000 ms that owns a copy of the record.
TEST(TapReader, EveryCutKeepsTheRecordsBeforeItAsStandardBlocks) {
  const std::vector<Bytes> records = {HeaderData(0, "run", 6, 10), DataBlockData(0xFF, 4), {}, DataBlockData(0xFF, 4)};
  Bytes file;
  for (const Bytes& record : records) Append(file, TapRecord(record));
  TapeBlockList list;
  for (std::size_t cut = 0; cut <= file.size(); ++cut) {
    // Its own allocation of exactly cut bytes, so a read past it is caught.
    auto piece = std::make_unique<std::uint8_t[]>(cut);
    std::copy(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut), piece.get());
    ASSERT_EQ(RESULT_OK, ParseTap(list, piece.get(), cut));
    std::size_t end = 0;
    std::int32_t whole = 0;
    for (; whole < 4 && (end += 2 + records[whole].size()) <= cut; ++whole) {
      const TapeBlock* block = list.GetBlock(whole);
      ASSERT_LT(whole, list.GetCount()) << "cut at " << cut;
      EXPECT_EQ(StandardBlock(1000, records[whole]), Bytes(block->data, block->data + block->size)) << cut;
      EXPECT_EQ(0x10, block->id);
      EXPECT_EQ(1, block->ownsData);
    }
    EXPECT_EQ(whole, list.GetCount()) << "cut at " << cut;
  }
}

// An empty file is an empty tape to record on, and it replaces the one before.
TEST(TapReader, AFileIsAStandardTapeToRecordOn) {
  ScratchFolder folder;
  TapeBlockList list;
  for (const Bytes& file : {TapRecord(DataBlockData(0xFF, 300)), Bytes{}}) {
    ASSERT_EQ(RESULT_OK, ReadTapFile(list, folder.Write("tape.tap", file).c_str()));
    EXPECT_EQ(file.empty() ? 0 : 1, list.GetCount());
    EXPECT_EQ(nullptr, list.MappedView());
    EXPECT_EQ(1u, list.standardOnly);
    EXPECT_EQ(1u, list.recordable);
    EXPECT_EQ(file.empty() ? 0u : 1u, list.hasSignalBlocks);
  }
}

}  // namespace
}  // namespace reelbox::test

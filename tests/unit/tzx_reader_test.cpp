#include "tape/tzx_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"
#include "tape/byte_cursor.h"
#include "tape_files.h"
#include "tzx_builder.h"

namespace reelbox {
namespace {

using test::Bytes;

// One block of every identifier the format defines, each with non-zero counts
// so that a wrong length rule shows.
std::vector<Bytes> EveryKnownBlock() {
  return {
      test::Standard(test::DataBlockData(0xFF, 3)),
      test::TurboBlock({}, 8, 1000, test::DataBlockData(0xFF, 5)),
      test::PureTone(2168, 10),
      test::PulseSequence({667, 735, 1000}),
      test::PureData(855, 1710, 8, 1000, test::DataBlockData(0xFF, 2)),
      test::DirectRecording(79, 0, 8, Bytes(6, 0x0F)),
      test::Pause(250),
      test::GroupStart("group"),
      {0x22},
      {0x23, 0xFE, 0xFF},
      {0x24, 3, 0},
      {0x25},
      {0x26, 2, 0, 1, 0, 0xFE, 0xFF},
      {0x27},
      {0x28, 8, 0, 1, 1, 0, 4, 'o', 'n', 'e', '!'},
      {0x2A, 0, 0, 0, 0},
      test::TextDescription("description"),
      {0x31, 5, 3, 'h', 'e', 'y'},
      test::ArchiveInfo({{0x00, "Title"}, {0x07, "comment"}}),
      {0x33, 2, 0, 1, 0, 1, 2, 3},
      {0x34, 1, 2, 3, 4, 5, 6, 7, 8},
      test::Concat({{0x35, 'P', 'O', 'K', 'E', 'S', ' ', ' ', ' ', ' ', ' ', 3, 0, 0, 0}, {9, 8, 7}}),
      {0x40, 0, 2, 0, 0, 0xAB, 0xCD},
      test::TzxHeader(),  // glued-on file: the identifier is the 'Z' of the signature
  };
}

Bytes TzxFile(const std::vector<Bytes>& blocks, std::uint8_t major = 1, std::uint8_t minor = 20) {
  Bytes file = test::TzxHeader(major, minor);
  for (const Bytes& block : blocks) test::Append(file, block);
  return file;
}

TEST(TzxBlockLength, KnowsTheLengthOfEveryBlockAndNeverReadsPastTheEnd) {
  std::vector<Bytes> blocks = EveryKnownBlock();
  blocks[23][0] = 0x5A;
  for (std::uint8_t id : {0x16, 0x18, 0x19, 0x2B, 0x50, 0xFF}) blocks.push_back(test::Undefined(id, 7));
  for (const Bytes& block : blocks) {
    for (std::size_t available = 1; available <= block.size() + 2; ++available) {
      // Exactly available bytes of their own, so a read past them is caught.
      auto bytes = std::make_unique<std::uint8_t[]>(available);
      for (std::size_t i = 0; i < available; ++i) bytes[i] = i < block.size() ? block[i] : 0xEE;
      const std::size_t expected = available >= block.size() ? block.size() : 0;
      ASSERT_EQ(expected, TzxBlockLength(bytes.get(), available))
          << "id " << std::hex << int(block[0]) << std::dec << ", " << available << " bytes";
    }
  }
  EXPECT_EQ(0u, TzxBlockLength(nullptr, 0));
}

class TzxReader : public testing::Test {
 protected:
  void LoadPreviousTape() {
    const Bytes file = TzxFile({test::Standard(test::DataBlockData(0xFF, 100)), test::Pause(0)});
    ASSERT_EQ(RESULT_OK, ReadTzxFile(list, folder.Write("previous.tzx", file).c_str()));
    ASSERT_EQ(2, list.GetCount());
    previousFirst = list.GetBlock(0);
    previousView = list.MappedView();
  }
  void ExpectPreviousTape() {
    EXPECT_EQ(2, list.GetCount());
    EXPECT_EQ(previousFirst, list.GetBlock(0));
    EXPECT_EQ(previousView, list.MappedView());
    EXPECT_EQ(1u, list.recordable);
  }
  // Each read gets a file of its own: Windows refuses to rewrite a file that
  // the tape read before still maps.
  HResult Read(const Bytes& file) {
    const std::string name = "tape" + std::to_string(++readCount) + ".tzx";
    return ReadTzxFile(list, folder.Write(name, file).c_str());
  }

  test::ScratchFolder folder;
  TapeBlockList list;
  const TapeBlock* previousFirst = nullptr;
  const platform::MappedView* previousView = nullptr;
  int readCount = 0;
};

TEST_F(TzxReader, EveryBlockIsFoundAndPointsIntoTheView) {
  const std::vector<Bytes> blocks = EveryKnownBlock();
  const Bytes file = TzxFile(blocks);
  ASSERT_EQ(RESULT_OK, Read(file));
  ASSERT_EQ(static_cast<std::int32_t>(blocks.size()), list.GetCount());
  const platform::MappedView* view = list.MappedView();
  ASSERT_NE(nullptr, view);
  ASSERT_EQ(file.size(), view->Size());
  std::size_t offset = 10;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    const TapeBlock* block = list.GetBlock(i);
    EXPECT_EQ(blocks[i].size(), block->size) << i;
    EXPECT_EQ(view->Data() + offset, block->data) << i;
    EXPECT_EQ(block->data[0], block->id);
    EXPECT_EQ(0, block->ownsData);
    offset += block->size;
  }
  EXPECT_EQ(1u, list.recordable);
  EXPECT_EQ(1u, list.hasSignalBlocks);
}

// 0xF0 and above are the list's sampled pieces, whose bodies hold pointers.
TEST_F(TzxReader, BlockWithAPrivateIdentifierRefusesTheFile) {
  for (std::uint8_t id : {0xF0, 0xF1, 0xFF}) {
    LoadPreviousTape();
    Bytes body(16, 0);
    body[0] = 0x41;  // what would be read as a routine's address
    EXPECT_EQ(TAPE_E_BADFORMAT, Read(TzxFile({test::Pause(0), test::Concat({{id, 16, 0, 0, 0}, body})})));
    EXPECT_EQ(0, list.GetCount());
  }
}

TEST_F(TzxReader, WrongSignatureKeepsThePreviousTape) {
  LoadPreviousTape();
  const Bytes good = TzxFile({test::Pause(10)});
  for (std::size_t at = 0; at < 8; ++at) {
    Bytes file = good;
    file[at] ^= 0x20;
    EXPECT_EQ(TAPE_E_BADFORMAT, Read(file)) << "byte " << at;
    ExpectPreviousTape();
  }
}

// A cut anywhere keeps the blocks that are whole before it; a cut inside the
// first block leaves no tape.
TEST_F(TzxReader, EveryCutKeepsTheWholeBlocksBeforeIt) {
  const std::vector<Bytes> blocks = EveryKnownBlock();
  Bytes body;
  std::vector<std::size_t> ends;
  for (const Bytes& block : blocks) {
    test::Append(body, block);
    ends.push_back(body.size());
  }
  for (std::size_t cut = 0; cut <= body.size(); ++cut) {
    auto piece = std::make_unique<std::uint8_t[]>(cut);
    std::copy(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(cut), piece.get());
    const HResult result = ParseTzx(list, piece.get(), cut);
    std::int32_t complete = 0;
    for (std::size_t end : ends) complete += end <= cut ? 1 : 0;
    if (complete > 0) {
      ASSERT_EQ(RESULT_OK, result) << "cut at " << cut;
    } else {
      ASSERT_EQ(TAPE_E_BADFORMAT, result) << "cut at " << cut;
    }
    ASSERT_EQ(complete, list.GetCount()) << "cut at " << cut;
  }
}

struct StandardOnlyCase {
  const char* name;
  std::vector<Bytes> blocks;
  std::uint32_t expected;
};

std::vector<StandardOnlyCase> StandardOnlyCases() {
  const Bytes data = test::Standard(test::DataBlockData(0xFF, 20));
  auto header = [](const std::string& name) { return test::Standard(test::HeaderData(3, name, 20, 32768)); };
  return {
      {"standard blocks only", {header("game"), data, test::Pause(0), test::TextDescription("x")}, 1},
      {"turbo block at the end",
       {header("game"), data, test::TurboBlock({}, 8, 1000, test::DataBlockData(0xFF, 2))},
       0},
      {"pure tone", {data, test::PureTone(100, 2)}, 0},
      {"pure data", {data, test::PureData(855, 1710, 8, 1000, test::DataBlockData(0xFF, 2))}, 0},
      {"direct recording", {data, test::DirectRecording(79, 0, 8, Bytes(3, 0x0F))}, 1},
      {"chip fact header", {header("CHIP FACT"), data}, 0},
      {"chip fact in small letters, later on", {data, header("cHiP fAcTs!")}, 0},
      {"shorter name", {header("CHIP FAC"), data}, 1},
  };
}

TEST_F(TzxReader, StandardOnlyUnlessSpeedOrNameSaysOtherwise) {
  for (const StandardOnlyCase& c : StandardOnlyCases()) {
    ASSERT_EQ(RESULT_OK, Read(TzxFile(c.blocks))) << c.name;
    EXPECT_EQ(c.expected, list.standardOnly) << c.name;
  }
}

TEST_F(TzxReader, ReadFaultOnTheViewFailsAndEmptiesTheList) {
  Bytes body;
  for (int i = 0; i < 40; ++i) test::Append(body, test::TurboBlock({}, 8, 1000, test::DataBlockData(0xFF, 4000)));
  const std::string path = folder.Write("shrinking.tzx", body);
  platform::File file;
  ASSERT_EQ(RESULT_OK, file.OpenForSharedRead(path.c_str()));
  std::unique_ptr<platform::MappedView> view;
  ASSERT_EQ(RESULT_OK, platform::MapReadOnly(file, body.size(), &view));
  std::error_code error;
  std::filesystem::resize_file(path, 0, error);
  if (error) GTEST_SKIP() << "a mapped file cannot shrink here: " << error.message();

  LoadPreviousTape();
  const HResult result = ParseTzx(list, view->Data(), view->Size());
  EXPECT_TRUE(Failed(result)) << std::hex << result;
  EXPECT_EQ(0, list.GetCount());
}

}  // namespace
}  // namespace reelbox

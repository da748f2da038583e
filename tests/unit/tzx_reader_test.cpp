#include "tape/tzx_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"
#include "tape_files.h"

namespace reelbox::test {
namespace {

// One block of every identifier the format defines and some it does not, each
// with non-zero counts so that a wrong length rule shows.
std::vector<Bytes> EveryBlockKind() {
  std::vector<Bytes> blocks = {
      StandardBlock(1000, DataBlockData(0xFF, 3)),
      TurboBlock({}, 8, 1000, DataBlockData(0xFF, 5)),
      PureTone(2168, 10),
      PulseSequence({667, 735, 1000}),
      PureData(855, 1710, 8, 1000, DataBlockData(0xFF, 2)),
      DirectRecording(79, 0, 8, Bytes(6, 0x0F)),
      PauseBlock(250),
      GroupStart("group"),
      GroupEnd(),
      JumpBlock(-2),
      LoopStart(3),
      LoopEnd(),
      CallSequence({1, -2}),
      ReturnFromSequence(),
      {0x28, 8, 0, 1, 1, 0, 4, 'o', 'n', 'e', '!'},
      StopIf48K(),
      TextDescription("description"),
      MessageBlock(5, "hey"),
      ArchiveInfo({{0x00, "Title"}, {0x07, "comment"}}),
      {0x33, 2, 0, 1, 0, 1, 2, 3},
      {0x34, 1, 2, 3, 4, 5, 6, 7, 8},
      Concat({{0x35}, TextOf("POKES     "), {3, 0, 0, 0, 9, 8, 7}}),
      {0x40, 0, 2, 0, 0, 0xAB, 0xCD},
      TzxHeader(),  // glued-on file: the identifier is the 'Z' of the signature
  };
  for (std::uint8_t id : {0x16, 0x18, 0x19, 0x2B, 0x50}) blocks.push_back(Undefined(id, 7));
  return blocks;
}

// A cut anywhere keeps, in place, the blocks that are whole before it; a cut
// inside the first block leaves no tape.
TEST(ParseTzx, EveryCutKeepsTheWholeBlocksBeforeItInPlace) {
  const std::vector<Bytes> blocks = EveryBlockKind();
  const Bytes body = Concat(blocks);
  TapeBlockList list;
  for (std::size_t cut = 0; cut <= body.size(); ++cut) {
    // Exactly cut bytes of their own, so a read past them is caught.
    auto piece = std::make_unique<std::uint8_t[]>(cut);
    std::copy(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(cut), piece.get());
    const HResult result = ParseTzx(list, piece.get(), cut);
    std::size_t offset = 0;
    std::int32_t whole = 0;
    for (; whole < static_cast<std::int32_t>(blocks.size()) && offset + blocks[whole].size() <= cut; ++whole) {
      const TapeBlock* block = list.GetBlock(whole);
      ASSERT_LT(whole, list.GetCount()) << "cut at " << cut;
      EXPECT_EQ(piece.get() + offset, block->data) << "cut at " << cut << ", block " << whole;
      EXPECT_EQ(blocks[whole].size(), block->size) << "cut at " << cut << ", block " << whole;
      EXPECT_EQ(blocks[whole][0], block->id);
      EXPECT_EQ(0, block->ownsData);
      offset += blocks[whole].size();
    }
    ASSERT_EQ(whole, list.GetCount()) << "cut at " << cut;
    ASSERT_EQ(whole > 0 ? RESULT_OK : TAPE_E_BADFORMAT, result) << "cut at " << cut;
  }
}

TEST(ParseTzx, StandardOnlyUnlessSpeedOrNameSaysOtherwise) {
  const Bytes data = StandardBlock(1000, DataBlockData(0xFF, 20));
  auto header = [](const std::string& name) { return StandardBlock(1000, HeaderData(3, name, 20, 32768)); };
  const struct {
    const char* name;
    std::vector<Bytes> blocks;
    std::uint32_t expected;
  } cases[] = {
      {"standard blocks only", {header("game"), data, PauseBlock(0), TextDescription("x")}, 1},
      {"pulse sequence", {data, PulseSequence({667, 735})}, 0},
      {"pure data", {data, PureData(855, 1710, 8, 1000, DataBlockData(0xFF, 2))}, 0},
      {"chip fact header", {header("CHIP FACT"), data}, 0},
      {"chip fact in small letters, later on", {data, header("cHiP fAcTs!")}, 0},
      {"shorter name", {header("CHIP FAC"), data}, 1},
  };
  TapeBlockList list;
  for (const auto& c : cases) {
    const Bytes body = Concat(c.blocks);
    ASSERT_EQ(RESULT_OK, ParseTzx(list, body.data(), body.size())) << c.name;
    EXPECT_EQ(c.expected, list.standardOnly) << c.name;
  }
}

TEST(TzxReader, ReadFaultOnTheViewFailsAndEmptiesTheList) {
  ScratchFolder folder;
  TapeBlockList list;
  Bytes body;
  for (int i = 0; i < 40; ++i) Append(body, TurboBlock({}, 8, 1000, DataBlockData(0xFF, 4000)));
  const std::string path = folder.Write("shrinking.tzx", body);
  platform::File file;
  ASSERT_EQ(RESULT_OK, file.OpenForSharedRead(path.c_str()));
  std::unique_ptr<platform::MappedView> view;
  ASSERT_EQ(RESULT_OK, platform::MapReadOnly(file, body.size(), &view));
  std::error_code error;
  std::filesystem::resize_file(path, 0, error);
  if (error) GTEST_SKIP() << "a mapped file cannot shrink here: " << error.message();

  AppendBlocks(list, {PauseBlock(0)});
  EXPECT_TRUE(Failed(ParseTzx(list, view->Data(), view->Size())));
  EXPECT_EQ(0, list.GetCount());
}

}  // namespace
}  // namespace reelbox::test

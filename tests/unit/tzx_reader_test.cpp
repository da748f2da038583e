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

Bytes TzxFile(const std::vector<Bytes>& blocks) {
  Bytes file = TzxHeader();
  for (const Bytes& block : blocks) Append(file, block);
  return file;
}

// A cut anywhere keeps, in place, the blocks that are whole before it; a cut
// inside the first block leaves no tape.
TEST(ParseTzx, EveryCutKeepsTheWholeBlocksBeforeItInPlace) {
  const std::vector<Bytes> blocks = EveryBlockKind();
  const Bytes all = TzxFile(blocks);
  TapeBlockList list;
  for (std::size_t cut = 0; cut <= all.size() - 10; ++cut) {
    // Exactly cut bytes of their own, so a read past them is caught.
    auto piece = std::make_unique<std::uint8_t[]>(cut);
    std::copy(all.begin() + 10, all.begin() + 10 + static_cast<std::ptrdiff_t>(cut), piece.get());
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

class TzxReader : public ::testing::Test {
 protected:
  // Each read gets a file of its own: Windows refuses to rewrite a file that
  // the tape read before still maps.
  HResult Read(const Bytes& file) {
    return ReadTzxFile(list, folder.Write("tape" + std::to_string(++reads) + ".tzx", file).c_str());
  }

  ScratchFolder folder;
  TapeBlockList list;
  int reads = 0;
};

TEST_F(TzxReader, BlocksPointIntoTheFilesView) {
  const Bytes file = TzxFile(EveryBlockKind());
  ASSERT_EQ(RESULT_OK, Read(file));
  ASSERT_EQ(static_cast<std::int32_t>(EveryBlockKind().size()), list.GetCount());
  ASSERT_NE(nullptr, list.MappedView());
  EXPECT_EQ(file.size(), list.MappedView()->Size());
  EXPECT_EQ(list.MappedView()->Data() + 10, list.GetBlock(0)->data);
  EXPECT_EQ(1u, list.recordable);
  EXPECT_EQ(1u, list.hasSignalBlocks);
}

// A file that is not TZX leaves the tape that was there; a TZX file that cannot
// be read leaves none.
TEST_F(TzxReader, RefusalsKeepOrEmptyTheTapeByTheirKind) {
  struct Case {
    std::string name;
    Bytes file;
    bool keepsTape;
  };
  const Bytes good = TzxFile({PauseBlock(10)});
  std::vector<Case> cases = {{"shorter than the header", Bytes(good.begin(), good.begin() + 9), true},
                             {"first block cut short", Bytes(good.begin(), good.end() - 1), false}};
  for (std::size_t at = 0; at < 8; ++at) {
    cases.push_back({"signature byte " + std::to_string(at), good, true});
    cases.back().file[at] ^= 0x20;
  }
  // 0xF0 and above are the list's sampled pieces, whose bodies hold pointers.
  for (std::uint8_t id : {0xF0, 0xF1, 0xFF}) {
    Bytes body(16, 0);
    body[0] = 0x41;  // what would be read as a routine's address
    cases.push_back({"private block " + std::to_string(id), TzxFile({PauseBlock(0), WithData({id}, body, 4)}), false});
  }
  for (const Case& c : cases) {
    ASSERT_EQ(RESULT_OK, Read(TzxFile({StandardBlock(1000, DataBlockData(0xFF, 100)), PauseBlock(0)})));
    const TapeBlock* first = list.GetBlock(0);
    const platform::MappedView* view = list.MappedView();
    EXPECT_EQ(TAPE_E_BADFORMAT, Read(c.file)) << c.name;
    if (c.keepsTape) {
      EXPECT_EQ(2, list.GetCount()) << c.name;
      EXPECT_EQ(first, list.GetBlock(0)) << c.name;
      EXPECT_EQ(view, list.MappedView()) << c.name;
      EXPECT_EQ(1u, list.recordable) << c.name;
    } else {
      EXPECT_EQ(0, list.GetCount()) << c.name;
    }
  }
}

TEST_F(TzxReader, StandardOnlyUnlessSpeedOrNameSaysOtherwise) {
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
  for (const auto& c : cases) {
    ASSERT_EQ(RESULT_OK, Read(TzxFile(c.blocks))) << c.name;
    EXPECT_EQ(c.expected, list.standardOnly) << c.name;
  }
}

TEST_F(TzxReader, ReadFaultOnTheViewFailsAndEmptiesTheList) {
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

  ASSERT_EQ(RESULT_OK, Read(TzxFile({PauseBlock(0)})));
  EXPECT_TRUE(Failed(ParseTzx(list, view->Data(), view->Size())));
  EXPECT_EQ(0, list.GetCount());
}

}  // namespace
}  // namespace reelbox::test

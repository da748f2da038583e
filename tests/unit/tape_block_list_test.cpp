#include "tape/tape_block_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "tape_files.h"

namespace reelbox::test {
namespace {

Bytes Standard(const Bytes& data) { return StandardBlock(1000, data); }
Bytes Turbo(const Bytes& data) { return TurboBlock({}, 8, 1000, data); }

const Bytes PROGRAM_LINE_10 = HeaderData(0, "loader", 120, 10);
const Bytes BODY = DataBlockData(0xFF, 120);

std::vector<Bytes> CodeAt(std::uint16_t start, std::uint16_t length) {
  return {Standard(HeaderData(3, "c", length, start)), Standard(DataBlockData(0xFF, length))};
}

TEST(TapeBlockList, AutoLoadDecidesFromTheFirstDataCarryingBlock) {
  const struct {
    const char* name;
    std::vector<Bytes> blocks;
    AutoLoadKind expected;
  } cases[] = {
      {"empty tape", {}, None},
      {"program with auto-start", {Standard(PROGRAM_LINE_10), Standard(BODY)}, Program},
      {"program followed by a tone", {Standard(PROGRAM_LINE_10), PureTone(2168, 3223)}, None},
      {"program in turbo blocks", {Turbo(PROGRAM_LINE_10), Turbo(BODY)}, Program},
      {"control blocks before the header are skipped",
       {TextDescription("side A"), PauseBlock(500), DirectRecording(79, 0, 8, Bytes(4, 0x0F)),
        Standard(PROGRAM_LINE_10), Standard(BODY)},
       Program},
      {"twenty-byte header", {Standard(Concat({PROGRAM_LINE_10, {0}})), Standard(BODY)}, Program},
      {"no auto-start line", {Standard(HeaderData(0, "x", 120, 32768)), Standard(BODY)}, None},
      {"code over the system variables", CodeAt(0x5C00, 0xDD), Code},
      {"code one byte short", CodeAt(0x5C00, 0xDC), None},
      {"code starting above the system variables", CodeAt(0x5C01, 0xDD), None},
      {"tone before the header", {PureTone(2168, 100), Standard(PROGRAM_LINE_10), Standard(BODY)}, None},
      {"header is the last block", {Standard(PROGRAM_LINE_10)}, None},
      {"body with a header flag", {Standard(PROGRAM_LINE_10), Standard(DataBlockData(0x00, 120))}, None},
      {"empty body", {Standard(PROGRAM_LINE_10), Standard({})}, None},
      {"first block is data", {Standard(BODY), Standard(PROGRAM_LINE_10), Standard(BODY)}, None},
  };
  for (const auto& c : cases) {
    TapeBlockList list;
    AppendBlocks(list, c.blocks);
    EXPECT_EQ(c.expected, list.AnalyseForAutoLoad()) << c.name;
  }
}

// The first comment decides, whatever entries come before it; an entry that
// runs past its block is not read; Clear forgets the decision.
TEST(TapeBlockList, ACommentZydroloadInAnyCaseForbidsEdgeDetection) {
  const struct {
    Bytes block;
    std::uint32_t allowed;
  } cases[] = {
      {ArchiveInfo({{0x00, "Title"}, {0x07, "ZydroLOAD"}}), 0},
      {ArchiveInfo({{0x07, "zydroload!"}, {0x07, "zydroload"}}), 1},
      {{0x32, 10, 0, 3, 0x00, 2, 'h', 'i', 0x07, 200, 'z', 'y', 'd'}, 1},
  };
  for (const auto& c : cases) {
    TapeBlockList list;
    AppendBlocks(list, {c.block});
    EXPECT_EQ(c.allowed, list.edgeDetectionAllowed);
    list.Clear();
    EXPECT_EQ(1u, list.edgeDetectionAllowed);
  }
}

TEST(TapeBlockList, ClearForgetsWhatTheLoadEstablished) {
  TapeBlockList list;
  AppendBlocks(list, {Standard(PROGRAM_LINE_10), Standard(BODY)});
  list.standardOnly = list.hasSignalBlocks = list.recordable = 1;
  list.Clear();
  EXPECT_EQ(0, list.GetCount());
  EXPECT_EQ(nullptr, list.GetBlock(0));
  EXPECT_EQ(0u, list.standardOnly + list.hasSignalBlocks + list.recordable);
}

// The standard block of 2722 bytes at index 3 is a known custom loader; other
// standard blocks follow the tape's standardOnly, and the rest always load.
TEST(TapeBlockList, RomLoadableBlocks) {
  const std::vector<Bytes> blocks = {Standard(PROGRAM_LINE_10),
                                     Standard(BODY),
                                     Standard(DataBlockData(0xFF, 2720)),
                                     Standard(DataBlockData(0xFF, 2720)),
                                     Turbo(BODY),
                                     PureTone(2168, 10),
                                     PauseBlock(0)};
  TapeBlockList list;
  AppendBlocks(list, blocks);
  for (std::uint32_t standardOnly : {0u, 1u}) {
    list.standardOnly = standardOnly;
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
      const std::uint32_t expected = i == 3 ? 0u : i >= 4 ? 1u : standardOnly;
      EXPECT_EQ(expected, list.IsRomLoadable(i)) << "block " << i << ", standard only " << standardOnly;
    }
  }
}

}  // namespace
}  // namespace reelbox::test

#include "tape/tape_block_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tape/byte_cursor.h"
#include "tape/tap_reader.h"
#include "tape_files.h"
#include "tzx_builder.h"

namespace reelbox {
namespace {

using test::Bytes;

void AppendOwned(TapeBlockList& list, const Bytes& block) {
  list.Append(NewOwnedBlock(block.data(), static_cast<std::uint32_t>(block.size())));
}

void Fill(TapeBlockList& list, const std::vector<Bytes>& blocks) {
  list.Clear();
  for (const Bytes& block : blocks) AppendOwned(list, block);
}

const Bytes PROGRAM_LINE_10 = test::HeaderData(0, "loader", 120, 10);
const Bytes BODY = test::DataBlockData(0xFF, 120);

struct AutoLoadCase {
  const char* name;
  std::vector<Bytes> blocks;
  AutoLoadKind expected;
};

void PrintTo(const AutoLoadCase& c, std::ostream* out) { *out << c.name; }

class AutoLoad : public testing::TestWithParam<AutoLoadCase> {};

TEST_P(AutoLoad, DecidesFromTheFirstDataCarryingBlock) {
  TapeBlockList list;
  Fill(list, GetParam().blocks);
  EXPECT_EQ(GetParam().expected, list.AnalyseForAutoLoad());
}

using test::Pause;
using test::Standard;

Bytes Tone(std::uint16_t length, std::uint16_t pulses) { return test::PureTone(length, pulses); }
Bytes Turbo(const Bytes& data) { return test::TurboBlock({}, 8, 1000, data); }

INSTANTIATE_TEST_SUITE_P(
    TapeBlockList, AutoLoad,
    testing::Values(
        AutoLoadCase{"EmptyTape", {}, None},
        AutoLoadCase{"ProgramWithAutoStart", {Standard(PROGRAM_LINE_10), Standard(BODY)}, Program},
        AutoLoadCase{"ProgramFollowedByTone", {Standard(PROGRAM_LINE_10), Tone(2168, 3223)}, None},
        AutoLoadCase{"ProgramInTurboBlocks", {Turbo(PROGRAM_LINE_10), Turbo(BODY)}, Program},
        AutoLoadCase{"ControlBlocksBeforeHeaderAreSkipped",
                     {test::TextDescription("side A"), Pause(500), test::DirectRecording(79, 0, 8, Bytes(4, 0x0F)),
                      Standard(PROGRAM_LINE_10), Standard(BODY)},
                     Program},
        AutoLoadCase{"TwentyByteHeader",
                     {Standard([] {
                        Bytes data = PROGRAM_LINE_10;
                        data.push_back(0);
                        return data;
                      }()),
                      Standard(BODY)},
                     Program},
        AutoLoadCase{"NoAutoStartLine", {Standard(test::HeaderData(0, "x", 120, 32768)), Standard(BODY)}, None},
        AutoLoadCase{"CodeOverSystemVariables",
                     {Standard(test::HeaderData(3, "c", 0xDD, 0x5C00)), Standard(test::DataBlockData(0xFF, 0xDD))},
                     Code},
        AutoLoadCase{"CodeOneByteShort",
                     {Standard(test::HeaderData(3, "c", 0xDC, 0x5C00)), Standard(test::DataBlockData(0xFF, 0xDC))},
                     None},
        AutoLoadCase{"CodeStartingAboveSystemVariables",
                     {Standard(test::HeaderData(3, "c", 0xDD, 0x5C01)), Standard(test::DataBlockData(0xFF, 0xDD))},
                     None},
        AutoLoadCase{"ToneBeforeHeader", {Tone(2168, 100), Standard(PROGRAM_LINE_10), Standard(BODY)}, None},
        AutoLoadCase{"HeaderIsLastBlock", {Standard(PROGRAM_LINE_10)}, None},
        AutoLoadCase{"BodyWithHeaderFlag", {Standard(PROGRAM_LINE_10), Standard(test::DataBlockData(0x00, 120))}, None},
        AutoLoadCase{"EmptyBody", {Standard(PROGRAM_LINE_10), Standard({})}, None},
        AutoLoadCase{"FirstBlockIsData", {Standard(BODY), Standard(PROGRAM_LINE_10), Standard(BODY)}, None}),
    [](const testing::TestParamInfo<AutoLoadCase>& info) { return std::string(info.param.name); });

// The first comment decides, whatever entries come before it; Clear forgets it.
TEST(TapeBlockList, ACommentZydroloadInAnyCaseForbidsEdgeDetection) {
  const struct {
    Bytes block;
    std::uint32_t allowed;
  } cases[] = {{test::ArchiveInfo({{0x00, "Title"}, {0x07, "ZydroLOAD"}}), 0},
               {test::ArchiveInfo({{0x07, "zydroload!"}, {0x07, "zydroload"}}), 1}};
  for (const auto& c : cases) {
    TapeBlockList list;
    Fill(list, {c.block});
    EXPECT_EQ(c.allowed, list.edgeDetectionAllowed);
    list.Clear();
    EXPECT_EQ(1u, list.edgeDetectionAllowed);
  }
}

TEST(TapeBlockList, ArchiveEntriesPastTheBlockAreNotRead) {
  // Three entries announced, the second runs past the block's length.
  Bytes block = {0x32, 10, 0, 3, 0x00, 2, 'h', 'i', 0x07, 200, 'z', 'y', 'd'};
  TapeBlockList list;
  Fill(list, {block});
  EXPECT_EQ(1u, list.edgeDetectionAllowed);
  EXPECT_EQ(1, list.GetCount());
}

TEST(TapeBlockList, ClearForgetsWhatTheLoadEstablished) {
  const Bytes tap = test::Concat({test::TapRecord(PROGRAM_LINE_10), test::TapRecord(BODY)});
  TapeBlockList list;
  ASSERT_EQ(RESULT_OK, ParseTap(list, tap.data(), tap.size()));
  list.recordable = 1;
  ASSERT_EQ(1u, list.hasSignalBlocks);
  list.Clear();
  EXPECT_EQ(0, list.GetCount());
  EXPECT_EQ(nullptr, list.GetBlock(0));
  EXPECT_EQ(0u, list.standardOnly);
  EXPECT_EQ(0u, list.hasSignalBlocks);
  EXPECT_EQ(0u, list.recordable);
  EXPECT_EQ(None, list.AnalyseForAutoLoad());
}

TEST(TapeBlockList, StandardBlockOf2722BytesAtIndex3IsNotRomLoadable) {
  const Bytes tap = test::Concat({test::TapRecord(PROGRAM_LINE_10), test::TapRecord(BODY),
                                  test::TapRecord(test::HeaderData(3, "x", 2720, 32768)),
                                  test::TapRecord(test::DataBlockData(0xFF, 2720))});
  TapeBlockList list;
  ASSERT_EQ(RESULT_OK, ParseTap(list, tap.data(), tap.size()));
  ASSERT_EQ(2722, ReadU16(list.GetBlock(3)->data + 3));
  EXPECT_EQ(0u, list.IsRomLoadable(3));
  EXPECT_EQ(1u, list.IsRomLoadable(2));

  // One place earlier it follows the tape's standardOnly.
  const Bytes shifted = test::Concat(
      {test::TapRecord(PROGRAM_LINE_10), test::TapRecord(BODY), test::TapRecord(test::DataBlockData(0xFF, 2720))});
  ASSERT_EQ(RESULT_OK, ParseTap(list, shifted.data(), shifted.size()));
  EXPECT_EQ(1u, list.IsRomLoadable(2));
  list.standardOnly = 0;
  EXPECT_EQ(0u, list.IsRomLoadable(2));
  EXPECT_EQ(0u, list.IsRomLoadable(0));
}

TEST(TapeBlockList, BlocksOtherThanStandardDataAreAlwaysRomLoadable) {
  TapeBlockList list;
  Fill(list, {Turbo(BODY), Tone(2168, 10), Pause(0)});
  list.standardOnly = 0;
  for (std::int32_t i = 0; i < 3; ++i) EXPECT_EQ(1u, list.IsRomLoadable(i)) << i;
}

// A sampled piece whose "file source" is this counter: the release operation
// counts itself there.
}  // namespace
}  // namespace reelbox

#include "tape/csw_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tape/sampled_blocks.h"
#include "tape_files.h"

namespace reelbox::test {
namespace {

// Each piece's count of pulse bytes and its initial level.
using Pieces = std::vector<std::pair<std::uint32_t, std::uint8_t>>;

Pieces PiecesOf(const TapeBlockList& list) {
  Pieces pieces;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    CswPiece piece;
    EXPECT_TRUE(DecodeCswPiece(*list.GetBlock(i), &piece)) << "block " << i;
    pieces.emplace_back(piece.pulseDataLength, piece.initialLevel);
  }
  return pieces;
}

Bytes Runs(std::size_t count, std::uint8_t run, const Bytes& then) { return Concat({Bytes(count, run), then}); }
Bytes LongRun(std::uint32_t samples) {
  Bytes run{0};
  PutU32(run, samples);
  return run;
}

TEST(CswCut, PieceClosesOnlyAfterThePulseThatReachesTheLimit) {
  const struct {
    const char* name;
    Bytes pulses;
    Pieces pieces;
  } cases[] = {
      {"exactly the limit", Runs(441, 200, {1}), {{441, 0}, {1, 0}}},         // 88200 samples: two seconds
      {"one sample short", Runs(440, 200, {199, 5, 9}), {{442, 0}, {1, 0}}},  // 88199, then 88204 reaches it
      {"long pulse ends its piece", Runs(440, 200, Concat({LongRun(100000), {7, 7}})), {{445, 0}, {2, 0}}},
      {"long pulse alone", Concat({LongRun(1000000), {3}}), {{5, 0}, {1, 0}}},
  };
  for (const auto& c : cases) {
    TapeBlockList list;
    ASSERT_EQ(RESULT_OK, CutCswPieces(list, c.pulses.data(), c.pulses.size(), 44100, 0)) << c.name;
    EXPECT_EQ(c.pieces, PiecesOf(list)) << c.name;
  }
}

TEST(CswReader, Version1InitialLevelIsFlagsBitZeroOnly) {
  ScratchFolder folder;
  for (std::uint8_t flags : {0x00, 0x01, 0xFE, 0xFF}) {
    const std::string path = folder.Write("level.csw", CswVersion1(22050, flags, {10, 20}));
    TapeBlockList list;
    ASSERT_EQ(RESULT_OK, ReadCswFile(list, path.c_str(), nullptr));
    EXPECT_EQ((Pieces{{2, flags & 1}}), PiecesOf(list)) << int{flags};
  }
}

TEST(CswReader, Version2InflatesIntoASectionWithLevelZero) {
  const std::shared_ptr<ICompressionService> compression = HostCompression();
  if (compression == nullptr) GTEST_SKIP() << "no compression service in this build";
  const Bytes pulses = Runs(2205, 100, LongRun(70000));
  const Bytes file = Concat({CswVersion2Header(44100, 2, 2, {0xAA, 0xBB, 0xCC}), Deflate(*compression, pulses)});
  ScratchFolder folder;
  TapeBlockList list;
  ASSERT_EQ(RESULT_OK, ReadCswFile(list, folder.Write("v2.csw", file).c_str(), compression.get()));
  ASSERT_NE(nullptr, list.MappedView());
  ASSERT_EQ(pulses.size(), list.MappedView()->Size());
  EXPECT_EQ(0, std::memcmp(pulses.data(), list.MappedView()->Data(), pulses.size()));
  EXPECT_EQ((Pieces{{882, 0}, {882, 0}, {446, 0}}), PiecesOf(list));
}

}  // namespace
}  // namespace reelbox::test

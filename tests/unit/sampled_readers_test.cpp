// The VOC and WAV readers: pieces of at most two seconds that name where their
// samples lie in the file.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tape/voc_reader.h"
#include "tape/wav_reader.h"
#include "tape_files.h"

namespace reelbox::test {
namespace {

using Reader = HResult (*)(TapeBlockList&, const char*);

// A piece's byte count, the file offset of its first sample and its sample rate.
using Piece = std::array<std::uint32_t, 3>;

TEST(SampledReaders, CutSoundIntoPiecesOfTwoSecondsAtMost) {
  const Bytes samples(50000, 0x80);
  const struct {
    const char* name;
    Reader read;
    Bytes file;
    HResult result;
    std::vector<Piece> pieces;
  } cases[] = {
      {"VOC, the counter runs on across sound blocks",
       ReadVocFile,
       Voc({VocSound(0xA6, samples), VocSound(0xA6, {1}), {0}}),
       RESULT_OK,
       {{22222, 32, 11111}, {22222, 32 + 22222, 11111}, {5556, 32 + 44444, 11111}, {1, 32 + 50000 + 6, 11111}}},
      {"VOC, an extended time constant applies to the next sound block only",
       ReadVocFile,
       Voc({VocSound(0xA6, {1, 2}), VocExtended(59732), VocSound(0, {3, 4}), VocSound(0x83, {5}), {0}}),
       RESULT_OK,
       {{2, 32, 11111}, {2, 48, 44107}, {1, 56, 8000}}},
      {"VOC without a terminator", ReadVocFile, Voc({VocSound(0xA6, {1, 2, 3})}), RESULT_FALSE, {{3, 32, 11111}}},
      {"WAV, 8-bit mono",
       ReadWavFile,
       WaveFile(Concat({WaveFormatChunk(1, 1, 11025, 8), RiffChunk("data", samples)})),
       RESULT_OK,
       {{22050, 44, 11025}, {22050, 44 + 22050, 11025}, {5900, 44 + 44100, 11025}}},
  };
  ScratchFolder folder;
  for (const auto& c : cases) {
    TapeBlockList list;
    ASSERT_EQ(c.result, c.read(list, folder.Write("tape", c.file).c_str())) << c.name;
    const std::vector<SampledPiece> pieces = PiecesOf(list);
    ASSERT_EQ(c.pieces.size(), pieces.size()) << c.name;
    for (std::uint32_t i = 0; i < pieces.size(); ++i) {
      EXPECT_EQ(c.pieces[i], (Piece{pieces[i].byteCount, pieces[i].fileOffset, pieces[i].sampleRate}))
          << c.name << ", piece " << i;
      EXPECT_EQ(i, pieces[i].pieceIndex) << c.name;
      EXPECT_EQ(pieces[0].fileSource, pieces[i].fileSource) << c.name;
    }
    EXPECT_EQ(0u, list.recordable) << c.name;
    EXPECT_EQ(0u, list.standardOnly) << c.name;
  }
}

}  // namespace
}  // namespace reelbox::test

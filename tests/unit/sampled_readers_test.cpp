// The VOC and WAV readers: pieces of at most two seconds that name where their
// samples lie in the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tape/voc_reader.h"
#include "tape/wav_reader.h"
#include "tape_files.h"

namespace reelbox::test {
namespace {

using Reader = HResult (*)(TapeBlockList&, const char*);

Bytes Extended(std::uint16_t timeConstant, std::uint8_t pack = 0, std::uint8_t mode = 0) {
  Bytes body;
  PutU16(body, timeConstant);
  return VocBlock(8, Concat({body, {pack, mode}}));
}

Bytes Wav(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const Bytes& samples) {
  return WaveFile(Concat({WaveFormatChunk(tag, channels, rate, bits), RiffChunk("data", samples)}));
}

struct Piece {
  std::uint32_t byteCount;
  std::uint32_t fileOffset;
  std::uint32_t sampleRate;
};

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
       Voc({VocSound(0xA6, {1, 2}), Extended(59732), VocSound(0, {3, 4}), VocSound(0x83, {5}), {0}}),
       RESULT_OK,
       {{2, 32, 11111}, {2, 48, 44107}, {1, 56, 8000}}},
      {"VOC without a terminator", ReadVocFile, Voc({VocSound(0xA6, {1, 2, 3})}), RESULT_FALSE, {{3, 32, 11111}}},
      {"WAV, 8-bit mono",
       ReadWavFile,
       Wav(1, 1, 11025, 8, samples),
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
      EXPECT_EQ(c.pieces[i].byteCount, pieces[i].byteCount) << c.name << ", piece " << i;
      EXPECT_EQ(c.pieces[i].fileOffset, pieces[i].fileOffset) << c.name << ", piece " << i;
      EXPECT_EQ(c.pieces[i].sampleRate, pieces[i].sampleRate) << c.name << ", piece " << i;
      EXPECT_EQ(i, pieces[i].pieceIndex) << c.name;
      EXPECT_EQ(pieces[0].fileSource, pieces[i].fileSource) << c.name;
    }
    EXPECT_EQ(0u, list.recordable) << c.name;
    EXPECT_EQ(0u, list.standardOnly) << c.name;
  }
}

// A file that is not VOC at all leaves the tape as it was; any other refusal empties it.
TEST(SampledReaders, RefusalsKeepOrEmptyTheTapeByTheirKind) {
  const Bytes sound = VocSound(0xA6, {1, 2});
  const Bytes voc = Voc({sound, {0}});
  const Bytes data = RiffChunk("data", {1, 2, 3, 4});
  Bytes notWave = Wav(1, 1, 8000, 8, {1, 2, 3, 4});
  notWave[8] = 'A';  // "AAVE"
  const struct {
    const char* name;
    Reader read;
    Bytes file;
    HResult result;
    bool keepsTape;
  } cases[] = {
      {"VOC check word not the complement of version plus 0x1234", ReadVocFile, Voc({sound, {0}}, 0x1128),
       TAPE_E_BADFORMAT, true},
      {"VOC of 25 bytes", ReadVocFile, Bytes(voc.begin(), voc.begin() + 25), TAPE_E_BADFORMAT, true},
      {"empty VOC", ReadVocFile, {}, TAPE_E_BADFORMAT, true},
      {"VOC 4-bit codec", ReadVocFile, Voc({sound, VocSound(0xA6, {1, 2}, 1)}), TAPE_E_UNSUPPORTED, false},
      {"VOC extended, packed", ReadVocFile, Voc({sound, Extended(59732, 1), sound}), TAPE_E_UNSUPPORTED, false},
      {"VOC packed before any sound", ReadVocFile, Voc({Extended(59732, 1), sound}), TAPE_E_UNSUPPORTED, false},
      {"VOC extended, stereo", ReadVocFile, Voc({sound, Extended(59732, 0, 1), sound}), TAPE_E_UNSUPPORTED, false},
      {"VOC extended, then silence", ReadVocFile, Voc({sound, Extended(59732), VocBlock(3, {0, 0, 0})}),
       TAPE_E_UNSUPPORTED, false},
      {"VOC extended at the end", ReadVocFile, Voc({sound, Extended(59732)}), TAPE_E_UNSUPPORTED, false},
      {"VOC sound length below 2", ReadVocFile, Voc({sound, Bytes{1, 1, 0, 0, 0xA6, 0}}), TAPE_E_BADFORMAT, false},
      {"WAV not PCM", ReadWavFile, Wav(3, 1, 22050, 8, {1, 2}), TAPE_E_UNSUPPORTED, false},
      {"WAV without RIFF", ReadWavFile, Bytes(64, 0), TAPE_E_BADFORMAT, false},
      {"empty WAV", ReadWavFile, {}, TAPE_E_BADFORMAT, false},
      {"WAV not WAVE", ReadWavFile, notWave, TAPE_E_BADFORMAT, false},
      {"WAV without a format chunk", ReadWavFile, WaveFile(data), TAPE_E_BADFORMAT, false},
      {"WAV format chunk of 14 bytes", ReadWavFile, WaveFile(Concat({RiffChunk("fmt ", Bytes(14, 1)), data})),
       TAPE_E_BADFORMAT, false},
      {"WAV without a data chunk", ReadWavFile, WaveFile(WaveFormatChunk(1, 1, 8000, 8)), TAPE_E_BADFORMAT, false},
      {"WAV data before format", ReadWavFile, WaveFile(Concat({data, WaveFormatChunk(1, 1, 8000, 8)})),
       TAPE_E_BADFORMAT, false},
      {"WAV data of 0 bytes", ReadWavFile, Wav(1, 1, 8000, 8, {}), TAPE_E_BADFORMAT, false},
      {"WAV rate 0", ReadWavFile, Wav(1, 1, 0, 8, {1, 2}), TAPE_E_BADFORMAT, false},
  };
  ScratchFolder folder;
  TapeBlockList list;
  for (const auto& c : cases) {
    PutMarkerBlock(list);
    const std::int32_t before = list.GetCount();
    EXPECT_EQ(c.result, c.read(list, folder.Write("tape", c.file).c_str())) << c.name;
    EXPECT_EQ(c.keepsTape ? before : 0, list.GetCount()) << c.name;
  }
  PutMarkerBlock(list);
  EXPECT_EQ(ResultFromSystemError(2), ReadWavFile(list, folder.PathOf("absent.wav").c_str()));
  EXPECT_EQ(0, list.GetCount());
}

}  // namespace
}  // namespace reelbox::test

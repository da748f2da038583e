#include "tape/wav_reader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sampled_tape_files.h"
#include "tape/sampled_blocks.h"

namespace reelbox {
namespace {

using testing::Bytes;
using testing::Join;
using testing::RiffChunk;
using testing::WaveFile;
using testing::WaveFormatChunk;

class WavReader : public ::testing::Test {
 protected:
  HResult Read(const Bytes& file) {
    const std::string path = folder_.Write("tape.wav", file);
    return ReadWavFile(list_, path.c_str());
  }
  std::vector<SampledPiece> Pieces() const { return testing::PiecesOf(list_); }

  testing::ScratchFolder folder_;
  TapeBlockList list_;
};

TEST_F(WavReader, EightBitMonoIsCutIntoPiecesOfTwoSeconds) {
  ASSERT_EQ(RESULT_OK,
            Read(WaveFile(Join({WaveFormatChunk(1, 1, 11025, 8), RiffChunk("data", testing::Repeated(50000, 0x80))}))));
  const std::vector<SampledPiece> pieces = Pieces();
  ASSERT_EQ(3u, pieces.size());
  const std::uint32_t sizes[] = {22050, 22050, 5900};
  for (std::uint32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(sizes[i], pieces[i].byteCount);
    EXPECT_EQ(44 + 22050 * i, pieces[i].fileOffset);
    EXPECT_EQ(11025u, pieces[i].sampleRate);
    EXPECT_EQ(i, pieces[i].pieceIndex);
  }
  EXPECT_EQ(0u, list_.recordable);
}

TEST_F(WavReader, RefusalsEmptyTheList) {
  struct Case {
    const char* name;
    Bytes file;
    HResult result;
  };
  const Bytes data = RiffChunk("data", {1, 2, 3, 4});
  Bytes shortFormat = RiffChunk("fmt ", Bytes(14, 1));
  Bytes wrongForm = WaveFile(Join({WaveFormatChunk(1, 1, 8000, 8), data}));
  wrongForm[8] = 'A';  // "AAVE"
  const Case cases[] = {
      {"16-bit", WaveFile(Join({WaveFormatChunk(1, 1, 22050, 16), data})), TAPE_E_UNSUPPORTED},
      {"stereo", WaveFile(Join({WaveFormatChunk(1, 2, 22050, 8), data})), TAPE_E_UNSUPPORTED},
      {"not PCM", WaveFile(Join({WaveFormatChunk(3, 1, 22050, 8), data})), TAPE_E_UNSUPPORTED},
      {"no RIFF", Bytes(64, 0), TAPE_E_BADFORMAT},
      {"empty file", Bytes{}, TAPE_E_BADFORMAT},
      {"not WAVE", wrongForm, TAPE_E_BADFORMAT},
      {"no format chunk", WaveFile(data), TAPE_E_BADFORMAT},
      {"format chunk of 14 bytes", WaveFile(Join({shortFormat, data})), TAPE_E_BADFORMAT},
      {"no data chunk", WaveFile(WaveFormatChunk(1, 1, 8000, 8)), TAPE_E_BADFORMAT},
      {"data before format", WaveFile(Join({data, WaveFormatChunk(1, 1, 8000, 8)})), TAPE_E_BADFORMAT},
      {"data of 0 bytes", WaveFile(Join({WaveFormatChunk(1, 1, 8000, 8), RiffChunk("data", {})})), TAPE_E_BADFORMAT},
      {"rate 0", WaveFile(Join({WaveFormatChunk(1, 1, 0, 8), data})), TAPE_E_BADFORMAT},
  };
  for (const Case& c : cases) {
    testing::PutMarkerBlock(list_);
    EXPECT_EQ(c.result, Read(c.file)) << c.name;
    EXPECT_EQ(0, list_.GetCount()) << c.name;
  }
  testing::PutMarkerBlock(list_);
  EXPECT_EQ(ResultFromSystemError(2), ReadWavFile(list_, folder_.PathOf("absent.wav").c_str()));
  EXPECT_EQ(0, list_.GetCount());
}

}  // namespace
}  // namespace reelbox

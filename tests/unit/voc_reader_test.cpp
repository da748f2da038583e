#include "tape/voc_reader.h"

#include <gtest/gtest.h>

#include "sampled_tape_files.h"
#include "tape/sampled_blocks.h"

namespace reelbox {
namespace {

using testing::Bytes;

using testing::PiecesOf;

Bytes Voc(std::initializer_list<Bytes> blocks) {
  Bytes bytes = testing::VocHeader();
  for (const Bytes& block : blocks) testing::PutBytes(bytes, block);
  return bytes;
}

Bytes Extended(std::uint16_t timeConstant, std::uint8_t pack = 0, std::uint8_t mode = 0) {
  Bytes body;
  testing::PutU16(body, timeConstant);
  body.push_back(pack);
  body.push_back(mode);
  return testing::VocBlock(8, body);
}

class VocReader : public ::testing::Test {
 protected:
  HResult Read(const Bytes& file) {
    path_ = folder_.Write("tape.voc", file);
    return ReadVocFile(list_, path_.c_str());
  }

  testing::ScratchFolder folder_;
  std::string path_;
  TapeBlockList list_;
};

TEST_F(VocReader, HeaderCheckWordIsComplementOfVersionPlus1234) {
  Bytes good = Voc({testing::VocSound(0xA6, {1, 2, 3}), {0}});
  EXPECT_EQ(RESULT_OK, Read(good));
  EXPECT_EQ(1, list_.GetCount());

  Bytes bad = good;
  bad[24] = 0x28;  // check word 0x1128
  testing::PutMarkerBlock(list_);
  const std::int32_t before = list_.GetCount();
  EXPECT_EQ(TAPE_E_BADFORMAT, Read(bad));
  EXPECT_EQ(before, list_.GetCount()) << "a bad header leaves the tape as it was";

  for (const Bytes& file : {Bytes(25, 0), Bytes{}, Bytes(good.begin(), good.begin() + 25)}) {
    EXPECT_EQ(TAPE_E_BADFORMAT, Read(file)) << file.size();
    EXPECT_EQ(before, list_.GetCount());
  }
}

TEST_F(VocReader, RatesComeFromTheTimeConstants) {
  ASSERT_EQ(RESULT_OK, Read(Voc({testing::VocSound(0xA6, {1, 2}),
                                 Extended(59732),
                                 testing::VocSound(0, {3, 4}),
                                 testing::VocSound(0x83, {5}),
                                 {0}})));
  const std::vector<SampledPiece> pieces = PiecesOf(list_);
  ASSERT_EQ(3u, pieces.size());
  EXPECT_EQ(11111u, pieces[0].sampleRate);
  EXPECT_EQ(44107u, pieces[1].sampleRate) << "the extended constant overrides the sound block's";
  EXPECT_EQ(8000u, pieces[2].sampleRate) << "and applies to one sound block only";
}

TEST_F(VocReader, SoundBlockIsCutIntoPiecesOfTwoSeconds) {
  const Bytes samples = testing::Repeated(50000, 0x80);
  ASSERT_EQ(RESULT_OK, Read(Voc({testing::VocSound(0xA6, samples), testing::VocSound(0xA6, {1}), {0}})));
  const std::vector<SampledPiece> pieces = PiecesOf(list_);
  ASSERT_EQ(4u, pieces.size());
  const std::uint32_t sizes[] = {22222, 22222, 5556, 1};
  const std::uint32_t offsets[] = {32, 32 + 22222, 32 + 44444, 32 + 50000 + 6};
  for (std::uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(sizes[i], pieces[i].byteCount) << i;
    EXPECT_EQ(offsets[i], pieces[i].fileOffset) << i;
    EXPECT_EQ(i, pieces[i].pieceIndex) << "the counter runs on across sound blocks";
    EXPECT_EQ(pieces[0].fileSource, pieces[i].fileSource);
  }
  EXPECT_EQ(0u, list_.recordable);
  EXPECT_EQ(0u, list_.standardOnly);
}

TEST_F(VocReader, VariantsThatAreNotEightBitMonoEmptyTheList) {
  struct Case {
    const char* name;
    Bytes file;
    HResult result;
  };
  const Bytes sound = testing::VocSound(0xA6, {1, 2});
  const Case cases[] = {
      {"4-bit codec", Voc({sound, testing::VocSound(0xA6, {1, 2}, 1)}), TAPE_E_UNSUPPORTED},
      {"extended, packed", Voc({sound, Extended(59732, 1), sound}), TAPE_E_UNSUPPORTED},
      {"packed before any sound", Voc({Extended(59732, 1), sound}), TAPE_E_UNSUPPORTED},
      {"extended, stereo", Voc({sound, Extended(59732, 0, 1), sound}), TAPE_E_UNSUPPORTED},
      {"extended, then silence", Voc({sound, Extended(59732), testing::VocBlock(3, {0, 0, 0})}), TAPE_E_UNSUPPORTED},
      {"extended at the end", Voc({sound, Extended(59732)}), TAPE_E_UNSUPPORTED},
      {"sound length below 2", Voc({sound, Bytes{1, 1, 0, 0, 0xA6, 0}}), TAPE_E_BADFORMAT},
  };
  for (const Case& c : cases) {
    testing::PutMarkerBlock(list_);
    EXPECT_EQ(c.result, Read(c.file)) << c.name;
    EXPECT_EQ(0, list_.GetCount()) << c.name;
  }
}

}  // namespace
}  // namespace reelbox

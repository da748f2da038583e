#include "tape/csw_reader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "sampled_tape_files.h"
#include "tape/sampled_blocks.h"
#include "tape/tape_opener.h"
#if REELBOX_HOST_COMPRESSION
#include "host/compression_service.h"
#endif

namespace reelbox {
namespace {

using testing::Bytes;

std::vector<CswPiece> PiecesOf(const TapeBlockList& list) {
  std::vector<CswPiece> pieces;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    CswPiece piece;
    EXPECT_TRUE(DecodeCswPiece(*list.GetBlock(i), &piece)) << "block " << i;
    pieces.push_back(piece);
  }
  return pieces;
}

std::vector<std::uint32_t> LengthsOf(const TapeBlockList& list) {
  std::vector<std::uint32_t> lengths;
  for (const CswPiece& piece : PiecesOf(list)) lengths.push_back(piece.pulseDataLength);
  return lengths;
}

// The reference host's zlib service, where the build has it (natively).
class Compression {
 public:
  Compression() {
#if REELBOX_HOST_COMPRESSION
    service_ = host::CreateCompressionService();
#endif
  }
  ~Compression() { SafeRelease(service_); }
  ICompressionService* get() const { return service_; }

  Bytes Deflate(const Bytes& data) const {
    Bytes out(data.size() + data.size() / 100 + 64);
    auto size = static_cast<std::uint32_t>(out.size());
    EXPECT_EQ(RESULT_OK, service_->Compress(data.data(), static_cast<std::uint32_t>(data.size()), out.data(), &size));
    out.resize(size);
    return out;
  }

 private:
  ICompressionService* service_ = nullptr;
};

#define REQUIRE_COMPRESSION(compression) \
  if ((compression).get() == nullptr) GTEST_SKIP() << "no compression service in this build"

TEST(CswCut, PieceClosesOnlyAfterThePulseThatReachesTheLimit) {
  struct Case {
    const char* name;
    Bytes pulses;
    std::vector<std::uint32_t> lengths;
  };
  Bytes exact = testing::Repeated(441, 200);  // 88200 samples: exactly two seconds
  exact.push_back(1);
  Bytes shortByOne = testing::Repeated(440, 200);
  testing::PutBytes(shortByOne, {199, 5, 9});  // 88199, then 88204 reaches it
  Bytes longPulse = testing::Repeated(440, 200);
  longPulse.push_back(0);
  testing::PutU32(longPulse, 100000);  // far past the limit
  testing::PutBytes(longPulse, {7, 7});
  Bytes longFirst{0};
  testing::PutU32(longFirst, 1000000);
  longFirst.push_back(3);
  const Case cases[] = {
      {"exactly the limit", exact, {441, 1}},
      {"one sample short", shortByOne, {442, 1}},
      {"long pulse ends its piece", longPulse, {445, 2}},
      {"long pulse alone", longFirst, {5, 1}},
  };
  for (const Case& c : cases) {
    TapeBlockList list;
    ASSERT_EQ(RESULT_OK, CutCswPieces(list, c.pulses.data(), c.pulses.size(), 44100, 0)) << c.name;
    EXPECT_EQ(c.lengths, LengthsOf(list)) << c.name;
  }
}

TEST(CswReader, Version1InitialLevelIsFlagsBitZeroOnly) {
  testing::ScratchFolder folder;
  for (std::uint8_t flags : {0x00, 0x01, 0xFE, 0xFF}) {
    const std::string path = folder.Write("level.csw", testing::CswVersion1(22050, flags, {10, 20}));
    TapeBlockList list;
    ASSERT_EQ(RESULT_OK, ReadCswFile(list, path.c_str(), nullptr));
    EXPECT_EQ(flags & 1, PiecesOf(list).at(0).initialLevel) << int{flags};
  }
}

TEST(CswReader, Version2InflatesIntoASectionWithLevelZero) {
  Compression compression;
  REQUIRE_COMPRESSION(compression);
  Bytes pulses = testing::Repeated(2205, 100);
  pulses.push_back(0);
  testing::PutU32(pulses, 70000);
  Bytes file = testing::CswVersion2Header(44100, 2, 2, {0xAA, 0xBB, 0xCC});
  testing::PutBytes(file, compression.Deflate(pulses));
  testing::ScratchFolder folder;
  const std::string path = folder.Write("v2.csw", file);
  TapeBlockList list;
  ASSERT_EQ(RESULT_OK, ReadCswFile(list, path.c_str(), compression.get()));
  ASSERT_NE(nullptr, list.MappedView());
  ASSERT_EQ(pulses.size(), list.MappedView()->Size());
  EXPECT_EQ(0, std::memcmp(pulses.data(), list.MappedView()->Data(), pulses.size()));
  EXPECT_EQ((std::vector<std::uint32_t>{882, 882, 446}), LengthsOf(list));
  for (const CswPiece& piece : PiecesOf(list)) EXPECT_EQ(0, piece.initialLevel);
}

struct Refusal {
  const char* name;
  Bytes file;
  bool withCompression;
  HResult result;
  bool emptied;  // false: the list is left as it was
};

TEST(CswReader, RefusalsLeaveTheListAsTheirKindRequires) {
  Compression compression;
  Bytes wrongSignature = testing::CswVersion1(44100, 0, {5});
  wrongSignature[0] = 'c';
  Bytes truncatedV1 = testing::CswVersion1(44100, 0, {});
  truncatedV1.resize(30);
  Bytes truncatedV2 = testing::CswVersion2Header(44100, 2);
  truncatedV2.resize(40);
  Bytes missingExtension = testing::CswVersion2Header(44100, 2);
  missingExtension[35] = 10;  // announces 10 bytes that are not there
  Bytes corrupt = testing::CswVersion2Header(44100, 2);
  testing::PutBytes(corrupt, {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF});
  const Refusal refusals[] = {
      {"shorter than the signature", Bytes(22, 'C'), false, TAPE_E_BADFORMAT, false},
      {"wrong signature", wrongSignature, false, TAPE_E_BADFORMAT, false},
      {"version 1 header cut short", truncatedV1, false, TAPE_E_BADFORMAT, false},
      {"version 1 with Z-RLE", testing::CswVersion1(44100, 0, {5}, 2), false, TAPE_E_UNSUPPORTED, false},
      {"version 3", testing::CswVersion2Header(44100, 2, 3), false, TAPE_E_UNSUPPORTED, false},
      {"version 2 with run-length", testing::CswVersion2Header(44100, 1), false, TAPE_E_UNSUPPORTED, false},
      {"version 2 header cut short", truncatedV2, false, TAPE_E_BADFORMAT, false},
      {"version 2 without a compression service", testing::CswVersion2Header(44100, 2), false, CSW_E_NO_COMPRESSION,
       false},
      {"version 1 without pulses", testing::CswVersion1(44100, 0, {}), false, TAPE_E_BADFORMAT, true},
      {"version 1 truncated long pulse", testing::CswVersion1(44100, 0, {9, 0, 1}), false, TAPE_E_BADFORMAT, true},
      {"version 1 rate 0", testing::CswVersion1(0, 0, {9}), false, TAPE_E_BADFORMAT, true},
      {"version 2 extension past the end", missingExtension, true, TAPE_E_BADFORMAT, false},
      {"version 2 corrupt stream", corrupt, true, ResultFromSystemError(13), false},
  };
  testing::ScratchFolder folder;
  for (const Refusal& refusal : refusals) {
    if (refusal.withCompression && compression.get() == nullptr) continue;
    const std::string path = folder.Write("refused.csw", refusal.file);
    TapeBlockList list;
    testing::PutMarkerBlock(list);
    ICompressionService* service = refusal.withCompression ? compression.get() : nullptr;
    EXPECT_EQ(refusal.result, ReadCswFile(list, path.c_str(), service)) << refusal.name;
    EXPECT_EQ(refusal.emptied ? 0 : 1, list.GetCount()) << refusal.name;
  }
}

}  // namespace
}  // namespace reelbox

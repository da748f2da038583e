// What every reader does with a file it refuses: a file that is not of its
// format, or whose header it cannot take, leaves the tape that was there; a
// file it cannot read beyond that leaves none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tape/tape_opener.h"
#include "tape/tzx_reader.h"
#include "tape_files.h"

namespace reelbox::test {
namespace {

struct Refusal {
  std::string name;
  Bytes file;
  HResult result;
  bool keepsTape;
  bool needsCompression = false;
};

// The first size bytes of file.
Bytes Cut(Bytes file, std::size_t size) {
  file.resize(size);
  return file;
}

std::vector<Refusal> TzxRefusals() {
  const Bytes good = Concat({TzxHeader(), PauseBlock(10)});
  std::vector<Refusal> cases = {{"shorter than its header", Cut(good, 9), TAPE_E_BADFORMAT, true},
                                {"first block cut short", Cut(good, good.size() - 1), TAPE_E_BADFORMAT, false}};
  for (std::size_t at = 0; at < 8; ++at) {
    cases.push_back({"signature byte " + std::to_string(at), good, TAPE_E_BADFORMAT, true});
    cases.back().file[at] ^= 0x20;
  }
  // 0xF0 and above are the list's sampled pieces, whose bodies hold pointers.
  for (std::uint8_t id : {0xF0, 0xF1, 0xFF}) {
    // The body's first byte is what would be read as a routine's address.
    const Bytes file = Concat({TzxHeader(), PauseBlock(0), WithData({id}, Concat({{0x41}, Bytes(15, 0)}), 4)});
    cases.push_back({"private block " + std::to_string(id), file, TAPE_E_BADFORMAT, false});
  }
  return cases;
}

std::vector<Refusal> VocRefusals() {
  const Bytes sound = VocSound(0xA6, {1, 2});
  return {
      {"check word not the complement of version plus 0x1234", Voc({sound, {0}}, 0x1128), TAPE_E_BADFORMAT, true},
      {"of 25 bytes", Cut(Voc({sound, {0}}), 25), TAPE_E_BADFORMAT, true},
      {"empty", {}, TAPE_E_BADFORMAT, true},
      {"4-bit codec", Voc({sound, VocSound(0xA6, {1, 2}, 1)}), TAPE_E_UNSUPPORTED, false},
      {"extended, packed", Voc({sound, VocExtended(59732, 1, 0), sound}), TAPE_E_UNSUPPORTED, false},
      {"packed before any sound", Voc({VocExtended(59732, 1, 0), sound}), TAPE_E_UNSUPPORTED, false},
      {"extended, stereo", Voc({sound, VocExtended(59732, 0, 1), sound}), TAPE_E_UNSUPPORTED, false},
      {"extended, then silence", Voc({sound, VocExtended(59732, 0, 0), VocBlock(3, {0, 0, 0})}), TAPE_E_UNSUPPORTED,
       false},
      {"extended at the end", Voc({sound, VocExtended(59732, 0, 0)}), TAPE_E_UNSUPPORTED, false},
      {"sound length below 2", Voc({sound, Bytes{1, 1, 0, 0, 0xA6, 0}}), TAPE_E_BADFORMAT, false},
  };
}

std::vector<Refusal> WavRefusals() {
  const Bytes data = RiffChunk("data", {1, 2, 3, 4});
  const Bytes format = WaveFormatChunk(1, 1, 8000, 8);
  return {
      {"not PCM", WaveFile(Concat({WaveFormatChunk(3, 1, 8000, 8), data})), TAPE_E_UNSUPPORTED, false},
      {"without RIFF", Bytes(64, 0), TAPE_E_BADFORMAT, false},
      {"empty", {}, TAPE_E_BADFORMAT, false},
      {"not WAVE", RiffChunk("RIFF", Concat({TextOf("AAVE"), format, data})), TAPE_E_BADFORMAT, false},
      {"without a format chunk", WaveFile(data), TAPE_E_BADFORMAT, false},
      {"format chunk of 14 bytes", WaveFile(Concat({RiffChunk("fmt ", Bytes(14, 1)), data})), TAPE_E_BADFORMAT, false},
      {"without a data chunk", WaveFile(format), TAPE_E_BADFORMAT, false},
      {"data before format", WaveFile(Concat({data, format})), TAPE_E_BADFORMAT, false},
      {"data of 0 bytes", WaveFile(Concat({format, RiffChunk("data", {})})), TAPE_E_BADFORMAT, false},
      {"rate 0", WaveFile(Concat({WaveFormatChunk(1, 1, 0, 8), data})), TAPE_E_BADFORMAT, false},
  };
}

std::vector<Refusal> CswRefusals() {
  return {
      {"shorter than the signature", Bytes(22, 'C'), TAPE_E_BADFORMAT, true},
      {"version 1 header cut short", Cut(CswVersion1(44100, 0, {}), 30), TAPE_E_BADFORMAT, true},
      {"version 1 with Z-RLE", CswVersion1(44100, 0, {5}, 2), TAPE_E_UNSUPPORTED, true},
      {"version 3", CswVersion2Header(44100, 2, 3), TAPE_E_UNSUPPORTED, true},
      {"version 2 with run-length", CswVersion2Header(44100, 1), TAPE_E_UNSUPPORTED, true},
      {"version 2 header cut short", Cut(CswVersion2Header(44100, 2), 40), TAPE_E_BADFORMAT, true},
      {"version 1 without pulses", CswVersion1(44100, 0, {}), TAPE_E_BADFORMAT, false},
      {"version 1 truncated long pulse", CswVersion1(44100, 0, {9, 0, 1}), TAPE_E_BADFORMAT, false},
      {"version 1 rate 0", CswVersion1(0, 0, {9}), TAPE_E_BADFORMAT, false},
      {"version 2 extension past the end", Cut(CswVersion2Header(44100, 2, 2, Bytes(10)), 52), TAPE_E_BADFORMAT, true,
       true},
      {"version 2 corrupt stream", Concat({CswVersion2Header(44100, 2), {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF}}),
       ResultFromSystemError(13), true, true},
  };
}

TEST(ReaderRefusals, KeepOrEmptyTheTapeByTheirKind) {
  const std::pair<const char*, std::vector<Refusal>> formats[] = {
      {".tzx", TzxRefusals()}, {".voc", VocRefusals()}, {".wav", WavRefusals()}, {".csw", CswRefusals()}};
  const std::shared_ptr<ICompressionService> compression = HostCompression();
  ScratchFolder folder;
  TapeBlockList list;
  int reads = 0;
  // Each read gets files of its own: Windows refuses to rewrite a file that the
  // tape read before still maps.
  auto pathFor = [&](const char* extension, const Bytes& file) {
    return folder.Write("tape" + std::to_string(++reads) + extension, file);
  };
  for (const auto& [extension, cases] : formats) {
    for (const Refusal& c : cases) {
      if (c.needsCompression && compression == nullptr) continue;
      const Bytes previous = Concat({TzxHeader(), StandardBlock(1000, DataBlockData(0xFF, 100)), PauseBlock(0)});
      ASSERT_EQ(RESULT_OK, ReadTzxFile(list, pathFor(".tzx", previous).c_str()));
      const TapeBlock* first = list.GetBlock(0);
      const platform::MappedView* view = list.MappedView();
      ASSERT_EQ(view->Data() + 10, first->data);  // the blocks point into the file's view
      const std::string path = pathFor(extension, c.file);
      const HResult result = ReadTapeFile(list, FormatFromPath(path.c_str()), path.c_str(), compression.get());
      EXPECT_EQ(c.result, result) << extension << ": " << c.name;
      EXPECT_EQ(c.keepsTape ? 2 : 0, list.GetCount()) << extension << ": " << c.name;
      if (c.keepsTape) {
        EXPECT_EQ(first, list.GetBlock(0)) << extension << ": " << c.name;
        EXPECT_EQ(view, list.MappedView()) << extension << ": " << c.name;
        EXPECT_EQ(1u, list.recordable) << extension << ": " << c.name;
      }
    }
  }
  EXPECT_EQ(ResultFromSystemError(2),
            ReadTapeFile(list, TapeFormat::Wav, folder.PathOf("absent.wav").c_str(), nullptr));
  EXPECT_EQ(0, list.GetCount());
}

}  // namespace
}  // namespace reelbox::test

// Tapes made by other tools, read from the shared folder (never copied here),
// each through the reader its name's extension chooses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tape/csw_reader.h"
#include "tape/tape_opener.h"
#include "tape_files.h"

namespace reelbox::test {
namespace {

std::vector<int> IdsOf(const TapeBlockList& list) {
  std::vector<int> ids;
  for (const TapeBlock* block = list.GetBlock(0); block != nullptr; block = block->next) ids.push_back(block->id);
  return ids;
}

TEST(SharedTapes, EachFileGivesItsBlocksOrItsRefusal) {
  REELBOX_REQUIRE_SHARED_TAPES();
  const struct {
    const char* name;
    HResult result;
    std::vector<int> ids;
    std::uint32_t standardOnly;
  } tapes[] = {
      {"libspectrum/empty-drb.tzx", RESULT_OK, {0x15}, 1},
      {"libspectrum/raw-data-block.tzx", RESULT_OK, {0x15}, 1},
      {"libspectrum/jump.tzx", RESULT_OK, {0x23, 0x12, 0x12}, 0},
      {"libspectrum/loop.tzx", RESULT_OK, {0x24, 0x25}, 1},
      {"libspectrum/loop2.tzx", RESULT_OK, {0x24, 0x12, 0x25}, 0},
      {"libspectrum/loopend.tzx", RESULT_OK, {0x25}, 1},
      {"libspectrum/no-pilot-gdb.tzx", RESULT_OK, {0x2B, 0x19}, 1},
      {"libspectrum/trailing-pause-block.tzx", RESULT_OK, {0x10, 0x20}, 1},
      {"libspectrum/turbo-zeropilot.tzx", RESULT_OK, {0x11}, 0},
      // The reader checks where blocks end, not what they hold: these two are
      // whole blocks whose insides contradict themselves.
      {"libspectrum/invalid-archiveinfo.tzx", RESULT_OK, {0x32}, 1},
      {"libspectrum/invalid-gdb.tzx", RESULT_OK, {0x19}, 1},
      // Its archive block says 18 bytes but holds 19, so the byte after it reads
      // as a block running far past the end: the tape ends with the archive block.
      {"libspectrum/complete-tzx.tzx",
       RESULT_OK,
       {0x10, 0x11, 0x12, 0x13, 0x14, 0x20, 0x21, 0x22, 0x23, 0x12, 0x24, 0x12, 0x25, 0x2A, 0x30, 0x31, 0x32},
       0},
      // The first block already runs past the end of the file.
      {"libspectrum/invalid.tzx", TAPE_E_BADFORMAT, {}, 0},
      {"libspectrum/invalid-custominfo.tzx", TAPE_E_BADFORMAT, {}, 0},
      {"libspectrum/invalid-hardwareinfo.tzx", TAPE_E_BADFORMAT, {}, 0},
      {"libspectrum/standard-tap.tap", RESULT_OK, {0x10, 0x10}, 1},
      {"rom-loaded/rustzx-simple_tape.tap", RESULT_OK, {0x10, 0x10, 0x10, 0x10}, 1},
      {"libspectrum/wav-mono-threshold.wav", TAPE_E_UNSUPPORTED, {}, 0},  // 16-bit
      {"libspectrum/wav-stereo-mixdown.wav", TAPE_E_UNSUPPORTED, {}, 0},
      {"libspectrum/empty.csw", CSW_E_NO_COMPRESSION, {}, 0},
      {"csw-conformance/001__ERR__bad_magic.csw", TAPE_E_BADFORMAT, {}, 0},
      {"csw-conformance/002__OK__version_21.csw", TAPE_E_UNSUPPORTED, {}, 0},  // run-length in version 2
      {"libspectrum/zero-tail.pzx", TAPE_E_UNKNOWNTYPE, {}, 0},
  };
  for (const auto& tape : tapes) {
    const std::string path = (SharedTapes() / tape.name).string();
    TapeBlockList list;
    ASSERT_EQ(tape.result, ReadTapeFile(list, FormatFromPath(path.c_str()), path.c_str(), nullptr)) << tape.name;
    EXPECT_EQ(tape.ids, IdsOf(list)) << tape.name;
    EXPECT_EQ(tape.standardOnly, list.standardOnly) << tape.name;
  }
}

}  // namespace
}  // namespace reelbox::test

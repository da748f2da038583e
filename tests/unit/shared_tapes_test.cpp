// Tapes made by other tools, read from the shared folder (never copied here).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tape/byte_cursor.h"
#include "tape/tap_reader.h"
#include "tape/tzx_reader.h"
#include "tape_files.h"

namespace reelbox {
namespace {

std::vector<int> IdsOf(const TapeBlockList& list) {
  std::vector<int> ids;
  for (const TapeBlock* block = list.GetBlock(0); block != nullptr; block = block->next) ids.push_back(block->id);
  return ids;
}

std::string PathOf(const char* name) { return (test::SharedTapes() / name).string(); }

struct TzxTape {
  const char* name;
  std::vector<int> ids;
  std::uint32_t standardOnly;
};

TEST(SharedTapes, LibspectrumTzxFilesGiveTheirBlocks) {
  REELBOX_REQUIRE_SHARED_TAPES();
  const TzxTape tapes[] = {
      {"libspectrum/empty-drb.tzx", {0x15}, 1},
      {"libspectrum/raw-data-block.tzx", {0x15}, 1},
      {"libspectrum/jump.tzx", {0x23, 0x12, 0x12}, 0},
      {"libspectrum/loop.tzx", {0x24, 0x25}, 1},
      {"libspectrum/loop2.tzx", {0x24, 0x12, 0x25}, 0},
      {"libspectrum/loopend.tzx", {0x25}, 1},
      {"libspectrum/no-pilot-gdb.tzx", {0x2B, 0x19}, 1},
      {"libspectrum/trailing-pause-block.tzx", {0x10, 0x20}, 1},
      {"libspectrum/turbo-zeropilot.tzx", {0x11}, 0},
      // The reader checks where blocks end, not what they hold: these two are
      // whole blocks whose insides contradict themselves.
      {"libspectrum/invalid-archiveinfo.tzx", {0x32}, 1},
      {"libspectrum/invalid-gdb.tzx", {0x19}, 1},
      // Its archive block says 18 bytes but holds 19, so the byte after it reads
      // as a block running far past the end: the tape ends with the archive block.
      {"libspectrum/complete-tzx.tzx",
       {0x10, 0x11, 0x12, 0x13, 0x14, 0x20, 0x21, 0x22, 0x23, 0x12, 0x24, 0x12, 0x25, 0x2A, 0x30, 0x31, 0x32},
       0},
  };
  for (const TzxTape& tape : tapes) {
    TapeBlockList list;
    ASSERT_EQ(RESULT_OK, ReadTzxFile(list, PathOf(tape.name).c_str())) << tape.name;
    EXPECT_EQ(tape.ids, IdsOf(list)) << tape.name;
    EXPECT_EQ(tape.standardOnly, list.standardOnly) << tape.name;
  }
}

// Files whose first block already runs past the end of the file.
TEST(SharedTapes, TzxFilesWithoutAWholeBlockAreRefused) {
  REELBOX_REQUIRE_SHARED_TAPES();
  for (const char* name :
       {"libspectrum/invalid.tzx", "libspectrum/invalid-custominfo.tzx", "libspectrum/invalid-hardwareinfo.tzx"}) {
    TapeBlockList list;
    EXPECT_EQ(TAPE_E_BADFORMAT, ReadTzxFile(list, PathOf(name).c_str())) << name;
    EXPECT_EQ(0, list.GetCount()) << name;
  }
}

}  // namespace
}  // namespace reelbox

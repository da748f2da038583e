// A small TZX loader for tests that play real files: the blocks are found with
// the TZX block length table and copied onto the tape. A block that runs past
// the file's end ends the load; the blocks before it stay.
#pragma once

#include <string>

#include "tape/tape_block_list.h"

namespace reelbox::test {

// The number of blocks loaded; -1 when the file cannot be read or is no TZX file.
int LoadTzxForTest(TapeBlockList& tape, const std::string& path);

}  // namespace reelbox::test

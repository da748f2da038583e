// TAP and BLK files: records of a u16 length and that many bytes, each made a
// standard-speed block with a 1000 ms pause.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tape/tape_block_list.h"

namespace reelbox {

HResult ReadTapFile(TapeBlockList& list, const char* path);
// Replaces the list's blocks with those of the TAP image in memory.
HResult ParseTap(TapeBlockList& list, const std::uint8_t* data, std::size_t size);

}  // namespace reelbox

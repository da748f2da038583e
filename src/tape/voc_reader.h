// Creative Voice (VOC) files: each 8-bit unsigned mono sound block becomes
// 0xF1 pieces of at most two seconds whose samples stay in the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tape/tape_block_list.h"

namespace reelbox {

// 0 at a terminator block, 1 when the file ends without one (both success).
HResult ReadVocFile(TapeBlockList& list, const char* path);
// The same walk over an image of the file in memory; the pieces read their
// samples from the file at path when played.
HResult ReadVocImage(TapeBlockList& list, const std::uint8_t* data, std::size_t size, const char* path);

}  // namespace reelbox

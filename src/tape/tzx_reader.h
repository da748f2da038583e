// TZX files, read in place: every block points into the file's view.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tape/tape_block_list.h"

namespace reelbox {

HResult ReadTzxFile(TapeBlockList& list, const char* path);
// Replaces the list's blocks with those found in size bytes that follow a TZX
// header; the blocks point into data, which must outlive them.
HResult ParseTzx(TapeBlockList& list, const std::uint8_t* data, std::size_t size);
// The length of the block at data (identifier included), or 0 when it runs past
// available bytes.
std::size_t TzxBlockLength(const std::uint8_t* data, std::size_t available);

}  // namespace reelbox

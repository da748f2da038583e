// RIFF WAVE (WAV) files: 8-bit unsigned mono PCM becomes 0xF1 pieces of at
// most two seconds whose samples stay in the file.
#pragma once

#include "tape/tape_block_list.h"

namespace reelbox {

// Every failure leaves the list empty.
HResult ReadWavFile(TapeBlockList& list, const char* path);

}  // namespace reelbox

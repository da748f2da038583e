// CSW (compressed square wave) files: the run-length pulse stream is cut into
// 0xF0 pieces of about two seconds that point into a view the list owns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "contract/host_interfaces.h"
#include "tape/tape_block_list.h"

namespace reelbox {

// A version 2 file needs the host's compression service to inflate its pulses;
// without one it is refused with this code (the list untouched).
constexpr HResult CSW_E_NO_COMPRESSION = TAPE_E_UNSUPPORTED;

// compression may be null (version 1 files do not need it).
HResult ReadCswFile(TapeBlockList& list, const char* path, ICompressionService* compression);

// Replaces the list's blocks with pieces cut from run-length data: a piece
// closes after the pulse that takes its total to two seconds of samples.
// TAPE_E_BADFORMAT (list empty) for a truncated long pulse, data without a
// pulse, or a rate of 0; 0x8007000E (list empty) when out of memory.
HResult CutCswPieces(TapeBlockList& list, const std::uint8_t* data, std::size_t size, std::uint32_t sampleRate,
                     std::uint8_t initialLevel);

}  // namespace reelbox

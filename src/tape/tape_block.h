// One block of the in-memory tape: an identifier byte followed by its TZX body.
#pragma once

#include <cstdint>

#include "contract/com.h"

namespace reelbox {

// Private block identifiers for sampled tapes.
constexpr int BLOCK_CSW_PIECE = 0xF0;      // run-length pulses of a CSW file
constexpr int BLOCK_SAMPLED_PIECE = 0xF1;  // 8-bit mono samples read from a VOC or WAV file on demand

struct TapeBlock {
  std::int32_t id = 0;            // equal to data[0]
  std::uint8_t ownsData = 0;      // 1: data is freed with the block; 0: data points into the list's view
  std::uint8_t pooled = 0;        // 1: the record itself lives in the list's pool (TapeBlockList::NewBlock)
  const std::uint8_t* data = nullptr;
  std::uint32_t size = 0;         // bytes at data, identifier included; every read stays below it
  std::int32_t tocRow = 0;        // row in the table of contents
  TapeBlock* next = nullptr;
};

// Sample-source operations of 0xF1 blocks.
constexpr std::uint32_t SAMPLE_SOURCE_OPEN = 1;
constexpr std::uint32_t SAMPLE_SOURCE_READ = 2;
constexpr std::uint32_t SAMPLE_SOURCE_RELEASE = 3;

// (operation, block data, buffer, in/out byte count) -> result code.
using SampleSourceRoutine = HResult (*)(std::uint32_t operation, const std::uint8_t* blockData,
                                        std::uint8_t* buffer, std::uint32_t* count);

// Allocates a block that owns a copy of size bytes (the identifier is bytes[0]);
// null when out of memory.
TapeBlock* NewOwnedBlock(const std::uint8_t* bytes, std::uint32_t size);
// Allocates a block that owns size zeroed bytes with the given identifier.
TapeBlock* NewOwnedBlock(std::uint8_t id, std::uint32_t size);
// Frees the block and, when it owns it, its data.
void FreeBlock(TapeBlock* block);

}  // namespace reelbox

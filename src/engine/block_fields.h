// Reads of a block's fields that never leave the block: a field that lies
// wholly or partly past the block's size reads as 0, and a run of bytes is cut
// to what the block holds. Offsets count from the identifier byte.
#pragma once

#include <cstdint>

#include "tape/byte_cursor.h"
#include "tape/tape_block.h"

namespace reelbox {

inline bool FieldFits(const TapeBlock& block, std::uint32_t offset, std::uint32_t width) {
  return block.data != nullptr && offset <= block.size && width <= block.size - offset;
}

inline std::uint8_t FieldU8(const TapeBlock& block, std::uint32_t offset) {
  return FieldFits(block, offset, 1) ? block.data[offset] : 0;
}

inline std::uint16_t FieldU16(const TapeBlock& block, std::uint32_t offset) {
  return FieldFits(block, offset, 2) ? ReadU16(block.data + offset) : 0;
}

inline std::int16_t FieldS16(const TapeBlock& block, std::uint32_t offset) {
  return static_cast<std::int16_t>(FieldU16(block, offset));
}

inline std::uint32_t FieldU24(const TapeBlock& block, std::uint32_t offset) {
  return FieldFits(block, offset, 3) ? ReadU24(block.data + offset) : 0;
}

// Where a run of bytes at offset starts (the block's end when offset lies past it).
inline const std::uint8_t* FieldPointer(const TapeBlock& block, std::uint32_t offset) {
  return block.data + (offset < block.size ? offset : block.size);
}

// How many of the wanted bytes at offset the block holds.
inline std::uint32_t BytesAvailable(const TapeBlock& block, std::uint32_t offset, std::uint32_t wanted) {
  if (offset >= block.size) return 0;
  const std::uint32_t held = block.size - offset;
  return wanted < held ? wanted : held;
}

// How many of the wanted 16-bit entries at offset the block holds.
inline std::uint32_t WordsAvailable(const TapeBlock& block, std::uint32_t offset, std::uint32_t wanted) {
  if (offset >= block.size) return 0;
  const std::uint32_t held = (block.size - offset) / 2;
  return wanted < held ? wanted : held;
}

}  // namespace reelbox

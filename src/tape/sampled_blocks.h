// Bodies of the private blocks that hold sampled tapes, packed one field after
// another behind the identifier byte, little-endian, pointers unaligned.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tape/tape_block.h"
#include "tape/tape_block_list.h"

namespace reelbox {

struct FileSource;

// 0xF0: a piece of about two seconds of CSW run-length data. Each byte is a
// pulse length in samples; a 0 byte is followed by a u32 pulse length.
struct CswPiece {
  std::uint32_t sampleRate = 0;
  const std::uint8_t* pulseData = nullptr;  // inside the list's view
  std::uint32_t pulseDataLength = 0;        // bytes
  std::uint8_t initialLevel = 0;            // 0 or 1: the level before the first pulse
};
constexpr std::uint32_t CSW_PIECE_BLOCK_SIZE = 1 + 4 + sizeof(void*) + 4 + 1;

// 0xF1: a piece of at most two seconds of 8-bit unsigned mono samples that
// stay in their file until played.
struct SampledPiece {
  SampleSourceRoutine sampleSource = nullptr;
  FileSource* fileSource = nullptr;  // shared by every piece of the file
  std::uint32_t sampleRate = 0;
  std::uint32_t fileOffset = 0;  // of the piece's first sample byte
  std::uint32_t byteCount = 0;   // one byte per sample
  std::uint32_t pieceIndex = 0;  // 0 for the first piece of the file
};
constexpr std::uint32_t SAMPLED_PIECE_BLOCK_SIZE = 1 + 2 * sizeof(void*) + 4 * 4;
// Byte offset of the file source pointer, which the release operation clears.
constexpr std::size_t SAMPLED_PIECE_SOURCE_OFFSET = 1 + sizeof(void*);

// New blocks that own their data; null when out of memory.
TapeBlock* NewCswPieceBlock(const CswPiece& piece);
TapeBlock* NewSampledPieceBlock(const SampledPiece& piece);

// Appends a new piece block to the list, or frees it; 0x8007000E when the
// block is null (its allocation failed) or the list cannot grow.
HResult AppendPieceBlock(TapeBlockList& list, TapeBlock* block);

// False when the block is not of the kind or too short to hold the body.
bool DecodeCswPiece(const TapeBlock& block, CswPiece* piece);
bool DecodeSampledPiece(const TapeBlock& block, SampledPiece* piece);
// The body of an 0xF1 block from its data alone, as the sample source gets it.
SampledPiece DecodeSampledPieceData(const std::uint8_t* data);

}  // namespace reelbox

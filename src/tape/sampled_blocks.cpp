#include "tape/sampled_blocks.h"

#include <cstring>
#include <new>

#include "tape/byte_cursor.h"

namespace reelbox {
namespace {

// Appends raw bytes at a write position inside a block under construction.
class BodyWriter {
 public:
  explicit BodyWriter(std::uint8_t* data) : at_(data) {}
  template <typename T>
  void Put(const T& value) {
    std::memcpy(at_, &value, sizeof value);
    at_ += sizeof value;
  }
  void PutU32(std::uint32_t value) {
    WriteU32(at_, value);
    at_ += 4;
  }

 private:
  std::uint8_t* at_;
};

template <typename T>
T Take(const std::uint8_t*& at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  at += sizeof value;
  return value;
}

std::uint32_t TakeU32(const std::uint8_t*& at) {
  const std::uint32_t value = ReadU32(at);
  at += 4;
  return value;
}

}  // namespace

TapeBlock* NewCswPieceBlock(const CswPiece& piece) {
  std::uint8_t bytes[CSW_PIECE_BLOCK_SIZE];
  BodyWriter writer(bytes);
  writer.Put(static_cast<std::uint8_t>(BLOCK_CSW_PIECE));
  writer.PutU32(piece.sampleRate);
  writer.Put(piece.pulseData);
  writer.PutU32(piece.pulseDataLength);
  writer.Put(piece.initialLevel);
  return NewOwnedBlock(bytes, sizeof bytes);
}

TapeBlock* NewSampledPieceBlock(const SampledPiece& piece) {
  std::uint8_t bytes[SAMPLED_PIECE_BLOCK_SIZE];
  BodyWriter writer(bytes);
  writer.Put(static_cast<std::uint8_t>(BLOCK_SAMPLED_PIECE));
  writer.Put(piece.sampleSource);
  writer.Put(piece.fileSource);
  writer.PutU32(piece.sampleRate);
  writer.PutU32(piece.fileOffset);
  writer.PutU32(piece.byteCount);
  writer.PutU32(piece.pieceIndex);
  return NewOwnedBlock(bytes, sizeof bytes);
}

HResult AppendPieceBlock(TapeBlockList& list, TapeBlock* block) {
  if (block == nullptr) return RESULT_OUTOFMEMORY;
  try {
    return list.Append(block);
  } catch (const std::bad_alloc&) {
    FreeBlock(block);
    return RESULT_OUTOFMEMORY;
  }
}

bool DecodeCswPiece(const TapeBlock& block, CswPiece* piece) {
  if (block.id != BLOCK_CSW_PIECE || block.size < CSW_PIECE_BLOCK_SIZE) return false;
  const std::uint8_t* at = block.data + 1;
  piece->sampleRate = TakeU32(at);
  piece->pulseData = Take<const std::uint8_t*>(at);
  piece->pulseDataLength = TakeU32(at);
  piece->initialLevel = *at;
  return true;
}

SampledPiece DecodeSampledPieceData(const std::uint8_t* data) {
  SampledPiece piece;
  const std::uint8_t* at = data + 1;
  piece.sampleSource = Take<SampleSourceRoutine>(at);
  piece.fileSource = Take<FileSource*>(at);
  piece.sampleRate = TakeU32(at);
  piece.fileOffset = TakeU32(at);
  piece.byteCount = TakeU32(at);
  piece.pieceIndex = TakeU32(at);
  return piece;
}

bool DecodeSampledPiece(const TapeBlock& block, SampledPiece* piece) {
  if (block.id != BLOCK_SAMPLED_PIECE || block.size < SAMPLED_PIECE_BLOCK_SIZE) return false;
  *piece = DecodeSampledPieceData(block.data);
  return true;
}

}  // namespace reelbox

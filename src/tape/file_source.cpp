#include "tape/file_source.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "tape/sampled_blocks.h"

namespace reelbox {
namespace {

constexpr std::int32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr std::int32_t ERROR_FILE_INVALID = 1006;

FileSource* SourceOf(const std::uint8_t* blockData) { return DecodeSampledPieceData(blockData).fileSource; }

bool TakeStamp(const char* path, platform::FileStamp* stamp) {
  platform::File file;
  return Succeeded(file.OpenForSharedRead(path)) && Succeeded(file.GetStamp(stamp));
}

// ERROR_FILE_INVALID when the open file is no longer the one the reader saw.
HResult CheckStamp(const FileSource& source) {
  platform::FileStamp now;
  const HResult result = source.file.GetStamp(&now);
  if (Failed(result)) return result;
  return source.stamped && now == source.stamp ? RESULT_OK : ResultFromSystemError(ERROR_FILE_INVALID);
}

// A failed open leaves nothing to read, so the piece ends at its first read.
HResult OpenPiece(const std::uint8_t* blockData) {
  const SampledPiece piece = DecodeSampledPieceData(blockData);
  FileSource* source = piece.fileSource;
  if (source == nullptr) return RESULT_FAIL;
  source->bytesLeft = 0;
  HResult result = RESULT_OK;
  if (!source->file.IsOpen()) result = source->file.OpenForSequentialRead(source->path);
  if (Succeeded(result)) result = CheckStamp(*source);
  if (Succeeded(result)) result = source->file.Seek(piece.fileOffset);
  if (Failed(result)) return result;
  source->bytesLeft = piece.byteCount;
  return RESULT_OK;
}

HResult ReadPiece(const std::uint8_t* blockData, std::uint8_t* buffer, std::uint32_t* count) {
  FileSource* source = SourceOf(blockData);
  if (source == nullptr || !source->file.IsOpen() || source->bytesLeft == 0) {
    *count = 0;
    return RESULT_FALSE;
  }
  std::uint32_t got = 0;
  HResult result = source->file.Read(buffer, std::min(source->bytesLeft, *count), &got);
  // Checked after the read: the samples just read came from the file the
  // reader saw only if it is still unchanged now.
  if (Succeeded(result)) result = CheckStamp(*source);
  if (Failed(result)) {
    *count = 0;
    source->bytesLeft = 0;
    return result;
  }
  *count = got;
  source->bytesLeft -= got;
  return got == 0 ? RESULT_FALSE : RESULT_OK;
}

// Only the first piece owns the source; its pointer in the block is cleared so
// that no later call reaches freed memory.
HResult ReleasePiece(const std::uint8_t* blockData) {
  const SampledPiece piece = DecodeSampledPieceData(blockData);
  if (piece.pieceIndex != 0 || piece.fileSource == nullptr) return RESULT_OK;
  FreeFileSource(piece.fileSource);
  std::memset(const_cast<std::uint8_t*>(blockData) + SAMPLED_PIECE_SOURCE_OFFSET, 0, sizeof(FileSource*));
  return RESULT_OK;
}

}  // namespace

HResult NewFileSource(const char* path, FileSource** source) {
  *source = nullptr;
  if (std::strlen(path) >= FILE_SOURCE_PATH_CHARS) return ResultFromSystemError(ERROR_FILENAME_EXCED_RANGE);
  auto* made = new (std::nothrow) FileSource;
  if (made == nullptr) return RESULT_OUTOFMEMORY;
  std::strcpy(made->path, path);
  made->stamped = TakeStamp(path, &made->stamp);
  *source = made;
  return RESULT_OK;
}

void FreeFileSource(FileSource* source) { delete source; }

HResult SampleFileSource(std::uint32_t operation, const std::uint8_t* blockData, std::uint8_t* buffer,
                         std::uint32_t* count) {
  switch (operation) {
    case SAMPLE_SOURCE_OPEN:
      return OpenPiece(blockData);
    case SAMPLE_SOURCE_READ:
      return ReadPiece(blockData, buffer, count);
    case SAMPLE_SOURCE_RELEASE:
      return ReleasePiece(blockData);
    default:
      return RESULT_OK;
  }
}

HResult CutSampledPieces(SampledCut& cut, std::uint32_t fileOffset, std::uint32_t byteCount, std::uint32_t rate) {
  if (rate == 0) return TAPE_E_BADFORMAT;
  // Two seconds of samples; a rate above 2^31 would overflow 32 bits.
  const std::uint64_t pieceLimit = 2 * std::uint64_t{rate};
  while (byteCount > 0) {
    const auto size = static_cast<std::uint32_t>(std::min<std::uint64_t>(byteCount, pieceLimit));
    SampledPiece piece;
    piece.sampleSource = SampleFileSource;
    piece.fileSource = cut.source;
    piece.sampleRate = rate;
    piece.fileOffset = fileOffset;
    piece.byteCount = size;
    piece.pieceIndex = cut.pieces;
    const HResult result = AppendPieceBlock(cut.list, NewSampledPieceBlock(piece));
    if (Failed(result)) return result;
    ++cut.pieces;
    fileOffset += size;
    byteCount -= size;
  }
  return RESULT_OK;
}

HResult FinishSampledCut(SampledCut& cut, HResult result) {
  if (Failed(result) && cut.emptyOnFailure) cut.list.Clear();
  if (cut.pieces == 0) FreeFileSource(cut.source);
  cut.source = nullptr;
  return result;
}

}  // namespace reelbox

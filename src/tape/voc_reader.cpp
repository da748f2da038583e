#include "tape/voc_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/guarded_read.h"
#include "tape/byte_cursor.h"
#include "tape/file_source.h"
#include "tape/file_view.h"

namespace reelbox {
namespace {

constexpr char SIGNATURE[] = "Creative Voice File\x1A";
constexpr std::size_t SIGNATURE_SIZE = 20;
constexpr std::size_t HEADER_SIZE = 26;

constexpr std::uint8_t BLOCK_TERMINATOR = 0;
constexpr std::uint8_t BLOCK_SOUND = 1;
constexpr std::uint8_t BLOCK_EXTENDED = 8;
constexpr std::uint8_t CODEC_8BIT_UNSIGNED = 0;

// The header's checksum is the complement of the version plus 0x1234, in 16 bits.
bool HeaderValid(ByteCursor& cursor) {
  std::uint16_t headerSize = 0;
  std::uint16_t version = 0;
  std::uint16_t checksum = 0;
  if (!cursor.Has(HEADER_SIZE) || std::memcmp(cursor.Here(), SIGNATURE, SIGNATURE_SIZE) != 0) return false;
  cursor.Skip(SIGNATURE_SIZE);
  cursor.U16(&headerSize);  // blocks start at byte 26 whatever it says
  cursor.U16(&version);
  cursor.U16(&checksum);
  return checksum == static_cast<std::uint16_t>(~version + 0x1234);
}

// A length that reaches past the end leaves the cursor at the end, where the
// next block's type byte is missing and the tape ends.
void SkipOrEnd(ByteCursor& cursor, std::size_t count) {
  if (!cursor.Skip(count)) cursor.Skip(cursor.Remaining());
}

// Samples per second from the sound block's time constant, or from the
// extended block's when one came before it.
std::uint32_t SampleRate(std::uint8_t timeConstant, std::uint32_t extendedTimeConstant) {
  if (extendedTimeConstant != 0) return 256000000u / (65536u - extendedTimeConstant);
  return 1000000u / (256u - timeConstant);
}

// RESULT_FALSE when the file ends inside the block's header.
HResult ReadSoundBlock(SampledCut& cut, ByteCursor& cursor, std::uint32_t extendedTimeConstant) {
  std::uint32_t length = 0;
  std::uint8_t timeConstant = 0;
  std::uint8_t codec = 0;
  if (!cursor.U24(&length) || !cursor.U8(&timeConstant) || !cursor.U8(&codec)) return RESULT_FALSE;
  if (codec != CODEC_8BIT_UNSIGNED) return TAPE_E_UNSUPPORTED;
  if (length < 2) return TAPE_E_BADFORMAT;  // shorter than its own time constant and codec
  const auto offset = static_cast<std::uint32_t>(cursor.Position());
  // Samples that the length claims beyond the end of the file are not there to play.
  const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(length - 2, cursor.Remaining()));
  cursor.Skip(count);
  return CutSampledPieces(cut, offset, count, SampleRate(timeConstant, extendedTimeConstant));
}

// An extended block sets the rate of the sound block that must follow it.
HResult ReadExtendedBlock(SampledCut& cut, ByteCursor& cursor) {
  std::uint32_t length = 0;
  std::uint16_t timeConstant = 0;
  std::uint8_t pack = 0;
  std::uint8_t mode = 0;
  if (!cursor.U24(&length) || !cursor.U16(&timeConstant) || !cursor.U8(&pack) || !cursor.U8(&mode)) {
    return RESULT_FALSE;
  }
  if (length < 4) return TAPE_E_BADFORMAT;
  SkipOrEnd(cursor, length - 4);
  if (pack != 0 || mode != 0) return TAPE_E_UNSUPPORTED;  // only 8-bit unsigned mono
  std::uint8_t next = 0;
  if (!cursor.U8(&next) || next != BLOCK_SOUND) return TAPE_E_UNSUPPORTED;
  return ReadSoundBlock(cut, cursor, timeConstant);
}

HResult SkipBlock(ByteCursor& cursor) {
  std::uint32_t length = 0;
  if (!cursor.U24(&length)) return RESULT_FALSE;
  SkipOrEnd(cursor, length);
  return RESULT_OK;
}

// 0 at a terminator, 1 at the end of the file, or the first failure.
HResult WalkBlocks(SampledCut& cut, ByteCursor& cursor) {
  for (;;) {
    std::uint8_t type = 0;
    if (!cursor.U8(&type)) return RESULT_FALSE;
    if (type == BLOCK_TERMINATOR) return RESULT_OK;
    HResult result;
    if (type == BLOCK_SOUND) {
      result = ReadSoundBlock(cut, cursor, 0);
    } else if (type == BLOCK_EXTENDED) {
      result = ReadExtendedBlock(cut, cursor);
    } else {
      result = SkipBlock(cursor);
    }
    if (result != RESULT_OK) return result;
  }
}

// A bad header leaves the list untouched; past it the list is replaced.
HResult WalkVoc(SampledCut& cut, const std::uint8_t* data, std::size_t size) {
  if (size > UINT32_MAX) return TAPE_E_UNSUPPORTED;  // pieces address the file with 32-bit offsets
  ByteCursor cursor(data, size);
  if (!HeaderValid(cursor)) return TAPE_E_BADFORMAT;
  cut.list.Clear();
  cut.emptyOnFailure = true;
  return WalkBlocks(cut, cursor);
}

HResult MapVocFile(const char* path, std::unique_ptr<platform::MappedView>* view) {
  std::uint64_t size = 0;
  // The walk reads only the block headers and keeps nothing of the view.
  const HResult result = MapWholeFile(path, &size, view);
  if (Failed(result)) return result;
  return size < HEADER_SIZE ? TAPE_E_BADFORMAT : RESULT_OK;
}

}  // namespace

HResult ReadVocImage(TapeBlockList& list, const std::uint8_t* data, std::size_t size, const char* path) {
  FileSource* source = nullptr;
  const HResult result = NewFileSource(path, &source);
  if (Failed(result)) return result;
  SampledCut cut{list, source};
  return FinishSampledCut(cut, WalkVoc(cut, data, size));
}

HResult ReadVocFile(TapeBlockList& list, const char* path) {
  FileSource* source = nullptr;
  HResult result = NewFileSource(path, &source);
  if (Failed(result)) return result;
  SampledCut cut{list, source};
  std::unique_ptr<platform::MappedView> view;
  result = MapVocFile(path, &view);
  if (Succeeded(result)) {
    auto walk = [&cut, &view]() { return WalkVoc(cut, view->Data(), view->Size()); };
    result = platform::RunGuarded(walk);
  }
  return FinishSampledCut(cut, result);
}

}  // namespace reelbox

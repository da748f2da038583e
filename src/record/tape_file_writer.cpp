#include "record/tape_file_writer.h"

#include <cstring>

#include "tape/tape_opener.h"

namespace reelbox {
namespace {

constexpr char TZX_SIGNATURE[] = "ZXTape!\x1A";
constexpr std::uint8_t TZX_MAJOR = 1;
constexpr std::uint8_t TZX_MINOR = 13;
constexpr std::uint8_t TEXT_DESCRIPTION = 0x30;
constexpr char CREATOR_TEXT[] = "Created by Kestrelix";

constexpr std::uint8_t STANDARD_DATA = 0x10;
constexpr std::uint32_t STANDARD_BODY = 4;  // pause, length
constexpr std::uint8_t TURBO_DATA = 0x11;
constexpr std::uint32_t TURBO_BODY = 18;        // timings, pause, 24-bit length
constexpr std::uint32_t TAP_RECORD_OFFSET = 3;  // the length field of a standard block

}  // namespace

RecordFormat RecordFormatOf(const char* path) {
  return FormatFromPath(path) == TapeFormat::Tzx ? RecordFormat::Tzx : RecordFormat::Tap;
}

std::uint32_t NewTapeFileHeader(RecordFormat format, std::uint8_t (&bytes)[NEW_FILE_HEADER_MAX]) {
  if (format != RecordFormat::Tzx) return 0;
  constexpr std::uint32_t signature = sizeof TZX_SIGNATURE - 1;
  constexpr std::uint32_t text = sizeof CREATOR_TEXT - 1;
  static_assert(signature + 4 + text <= NEW_FILE_HEADER_MAX, "the header fits");
  std::memcpy(bytes, TZX_SIGNATURE, signature);
  bytes[signature] = TZX_MAJOR;
  bytes[signature + 1] = TZX_MINOR;
  bytes[signature + 2] = TEXT_DESCRIPTION;
  bytes[signature + 3] = static_cast<std::uint8_t>(text);
  std::memcpy(bytes + signature + 4, CREATOR_TEXT, text);
  return signature + 4 + text;
}

// Recorded blocks are standard speed blocks, or turbo blocks for saves too
// long for the standard block's length field.
bool RecordOf(const TapeBlock& block, RecordFormat format, const std::uint8_t** bytes, std::uint32_t* size) {
  if (block.data == nullptr) return false;
  if (block.id == STANDARD_DATA && block.size >= 1 + STANDARD_BODY) {
    const std::uint32_t skip = format == RecordFormat::Tap ? TAP_RECORD_OFFSET : 0;
    *bytes = block.data + skip;
    *size = block.size - skip;
    return true;
  }
  if (block.id == TURBO_DATA && block.size >= 1 + TURBO_BODY && format == RecordFormat::Tzx) {
    *bytes = block.data;
    *size = block.size;
    return true;
  }
  return false;
}

HResult AppendRecord(const platform::File& file, std::uint64_t position, const std::uint8_t* bytes,
                     std::uint32_t size) {
  const HResult result = file.Write(bytes, size);
  if (result >= 0) return RESULT_OK;
  file.Truncate(position);
  file.Seek(position);
  return result;
}

}  // namespace reelbox

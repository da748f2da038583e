// TAP and BLK files. Each record (u16 length, then the flag byte, the data and
// the checksum) becomes a standard-speed block 0x10 that owns a copy of it, so
// nothing of the file stays mapped once the reader returns.
#include "tape/tap_reader.h"

#include <cstring>
#include <new>

#include "platform/guarded_read.h"
#include "tape/byte_cursor.h"
#include "tape/file_view.h"

namespace reelbox {
namespace {

constexpr std::uint8_t STANDARD_DATA_BLOCK = 0x10;
constexpr std::uint16_t RECORD_PAUSE_MS = 1000;
constexpr std::uint32_t BLOCK_HEADER_SIZE = 5;  // id, u16 pause, u16 length

// The block is the list's before the record is copied, so a read fault on the
// view during the copy leaks nothing: the failed parse clears the list.
HResult AppendRecord(TapeBlockList& list, const std::uint8_t* record, std::uint16_t length) {
  TapeBlock* block = NewOwnedBlock(STANDARD_DATA_BLOCK, BLOCK_HEADER_SIZE + length);
  if (block == nullptr) return RESULT_OUTOFMEMORY;
  try {
    list.Append(block);
  } catch (const std::bad_alloc&) {
    FreeBlock(block);
    return RESULT_OUTOFMEMORY;
  }
  auto* bytes = const_cast<std::uint8_t*>(block->data);  // owned by this block
  WriteU16(bytes + 1, RECORD_PAUSE_MS);
  WriteU16(bytes + 3, length);
  std::memcpy(bytes + BLOCK_HEADER_SIZE, record, length);
  return RESULT_OK;
}

// A TAP file has no framing beyond the record lengths. A record cut short by
// the end of the file, or a lone byte where a length would start, is dropped
// and the complete records before it stay as the tape: each is a whole block
// that the loader checks by its own checksum, and a cut-off download is the
// usual damage. (TZX files are refused instead: their blocks refer to one
// another by index, so a cut tape is not a tape.)
HResult AppendRecords(TapeBlockList& list, const std::uint8_t* data, std::size_t size) {
  ByteCursor cursor(data, size);
  std::uint16_t length = 0;
  while (cursor.U16(&length) && cursor.Has(length)) {
    const HResult result = AppendRecord(list, cursor.Here(), length);
    if (Failed(result)) return result;
    cursor.Skip(length);
  }
  return RESULT_OK;
}

}  // namespace

HResult ParseTap(TapeBlockList& list, const std::uint8_t* data, std::size_t size) {
  list.Clear();
  list.standardOnly = 1;
  auto parse = [&]() { return AppendRecords(list, data, size); };
  const HResult result = platform::RunGuarded(parse);
  if (Failed(result)) list.Clear();
  return result;
}

HResult ReadTapFile(TapeBlockList& list, const char* path) {
  std::uint64_t size = 0;
  std::unique_ptr<platform::MappedView> view;
  HResult result = ViewWholeFile(path, &size, &view);
  if (Failed(result)) return result;
  if (view != nullptr) {
    result = ParseTap(list, view->Data(), view->Size());
  } else {
    // An empty (or newly created) TAP file is an empty tape.
    list.Clear();
    list.standardOnly = 1;
  }
  if (Succeeded(result)) list.recordable = 1;
  return result;
}

}  // namespace reelbox

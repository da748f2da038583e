// Tape files written by recording: the start of a new file, and recorded
// blocks appended in TAP or TZX form.
#pragma once

#include <cstdint>

#include "contract/com.h"
#include "platform/file.h"
#include "tape/tape_block.h"

namespace reelbox {

enum class RecordFormat { Tap, Tzx };

// TZX when the path's extension is ".tzx" (any case); TAP otherwise.
RecordFormat RecordFormatOf(const char* path);

// The bytes a new file of the format starts with: for TZX the header and a
// text block naming the emulator, for TAP nothing. Returns the byte count.
constexpr std::uint32_t NEW_FILE_HEADER_MAX = 64;
std::uint32_t NewTapeFileHeader(RecordFormat format, std::uint8_t (&bytes)[NEW_FILE_HEADER_MAX]);

// Where a recorded block's record lies in its data: TZX takes the whole block,
// TAP the part from the 16-bit length field on. False when the block has no
// form in that format (a TAP record cannot hold a block longer than its
// 16-bit length field allows).
bool RecordOf(const TapeBlock& block, RecordFormat format, const std::uint8_t** bytes, std::uint32_t* size);

// Writes one record at position, where the file ends, and leaves the file
// there after it. A failed write cuts the file back to position, so the file
// holds whole records only; its result is the write's failure.
HResult AppendRecord(const platform::File& file, std::uint64_t position, const std::uint8_t* bytes, std::uint32_t size);

}  // namespace reelbox

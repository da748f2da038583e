// The file behind the 0xF1 pieces of one VOC or WAV file: shared by every
// piece, opened on first play, owned and released by the piece with index 0.
// The file's stamp is taken before the reader looks at it; a file that is
// replaced, cut or rewritten after that fails the piece that reads it (which
// ends that piece) rather than play samples the reader never saw.
#pragma once

#include <cstdint>

#include "platform/file.h"
#include "tape/tape_block_list.h"

namespace reelbox {

constexpr std::uint32_t FILE_SOURCE_PATH_CHARS = 260;

struct FileSource {
  char path[FILE_SOURCE_PATH_CHARS] = {};
  platform::File file;          // for sample reads; opened by the first open operation
  std::uint32_t bytesLeft = 0;  // of the current piece, not yet delivered
  platform::FileStamp stamp;    // the file as the reader found it
  bool stamped = false;         // false: the file could not be stamped and is not played
};

// Makes the source for path and stamps the file; 0x8007000E when out of
// memory, 0x800700CE (file name too long) for a path of more than 259
// characters. A file that cannot be opened is left to the reader to report.
HResult NewFileSource(const char* path, FileSource** source);
void FreeFileSource(FileSource* source);

// The sample-source routine of every 0xF1 block (operations open, read, release).
HResult SampleFileSource(std::uint32_t operation, const std::uint8_t* blockData, std::uint8_t* buffer,
                         std::uint32_t* count);

// A file's sample run being cut into pieces of at most two seconds each; the
// piece counter runs on across the runs of one file.
struct SampledCut {
  TapeBlockList& list;
  FileSource* source;
  bool emptyOnFailure = false;  // the reader has replaced the list's contents, or promises to
  std::uint32_t pieces = 0;
};

// Appends the pieces of byteCount samples at fileOffset; 0x8007000E when out
// of memory, TAPE_E_BADFORMAT for a rate of 0.
HResult CutSampledPieces(SampledCut& cut, std::uint32_t fileOffset, std::uint32_t byteCount, std::uint32_t rate);

// Ends a reader's run: a failure empties the list when emptyOnFailure is set
// (the list is left untouched otherwise); the source is freed here
// unless a piece with index 0 took it over (and the list releases it), so it
// is released exactly once. Returns result.
HResult FinishSampledCut(SampledCut& cut, HResult result);

}  // namespace reelbox

// Which reader opens a file, chosen by the extension of its name.
#pragma once

#include "contract/host_interfaces.h"
#include "tape/tape_block_list.h"

namespace reelbox {

enum class TapeFormat { Unknown, Tap, Csw, Voc, Wav, Tzx };

// The extension is the text from the last "." after the first character; a
// name without one is compared as a whole. Case is ignored.
TapeFormat FormatFromPath(const char* path);

// Runs the format's reader on the list. compression is used for CSW files
// only and may be null.
HResult ReadTapeFile(TapeBlockList& list, TapeFormat format, const char* path, ICompressionService* compression);

// True when the file-name part of path (after the last separator) holds a "~".
bool FileNameHasTilde(const char* path);

}  // namespace reelbox

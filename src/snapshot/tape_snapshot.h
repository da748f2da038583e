// The plug-in's side of snapshots, beside the TAPE chunk's layout: taking an
// embedded tape out of a chunk, browsing for a linked tape that has gone, and
// the private folder that extracted tapes live in.
#pragma once

#include <string>

#include "contract/plugin_interfaces.h"
#include "snapshot/tape_chunk.h"

namespace reelbox {

// Writes the chunk's embedded file to a new file with a unique "~zx" name and
// the stored extension in the private tape folder; *path receives its name.
// Nothing is left behind when it fails: a file that cannot be made whole is
// deleted, and so is the name reserved for it.
HResult ExtractEmbeddedTape(const TapeChunk& chunk, IMediaHost* media, std::string* path);

// The open of a linked tape failed with failure: asks whether to browse for
// it and opens the file chosen through handler. *opened tells whether a tape
// was opened. 0 when the person declines or cancels, failure when no
// registry answers, else the result of opening the file chosen.
HResult BrowseForMissingTape(IHostShell* shell, IMediaHandler* handler, IMediaHost* media, const char* path,
                             HResult failure, bool* opened);

// Deletes the tapes extracted into the private tape folder; the folder stays.
void EmptyPrivateTapeFolder();

}  // namespace reelbox

// The plug-in's side of snapshots, beside the TAPE chunk's layout: taking an
// embedded tape out of a chunk, browsing for a linked tape that has gone, and
// the private folder that extracted tapes live in.
#pragma once

#include <string>

#include "contract/plugin_interfaces.h"
#include "snapshot/tape_chunk.h"
#include "tape/tape_block_list.h"
#include "ui/cassette_recorder.h"

namespace reelbox {

class TapeDeck;

struct TapeSaveOptions {
  bool embedTape;
  bool warnEmbedLargeFiles;
  IHostShell* shell;  // owner of the question; may be null
  ModuleHandle module;
};

// SaveState: the recorder's tape as one TAPE chunk handed to writer, linked
// or embedded as options say, with currentBlock as the block to resume at.
// 0 and no chunk when no tape is in the recorder.
HResult SaveTapeChunk(const CassetteRecorder* recorder, std::int32_t currentBlock, const TapeSaveOptions& options,
                      ISnapshotWriter* writer, IMediaHost* media, std::uint32_t flags);

// What a TAPE chunk is loaded into: the plug-in's handler opens the tape,
// the deck and the window (through the plug-in's pointer to it, which the
// window clears when it goes) follow.
struct TapeLoadTarget {
  IMediaHandler* handler;
  IHostShell* shell;  // may be null: then nobody is asked to browse
  ModuleHandle module;
  CassetteRecorder* const* recorder;
  TapeDeck* deck;
  const TapeBlockList* blockList;
};

// LoadState: opens the tape of a TAPE chunk at its block; 0 for other chunks.
HResult LoadTapeChunk(const std::uint8_t* chunk, const TapeLoadTarget& target, IMediaHost* media, std::uint32_t flags);

// Auto-load of a freshly opened tape (code: its first header is of code):
// the host opens the built-in snapshot of its machine (a "ZXSTATE" resource
// of module), and the tape plays.
void AutoLoad(IMediaHost* host, bool code, ModuleHandle module, const TapeBlockList& blockList,
              CassetteRecorder* recorder);

// Writes the chunk's embedded file to a new file with a unique "~zx" name and
// the stored extension in the private tape folder; *path receives its name.
// Nothing is left behind when it fails: a file that cannot be made whole is
// deleted, and so is the name reserved for it.
HResult ExtractEmbeddedTape(const TapeChunk& chunk, IMediaHost* media, std::string* path);

// The open of a linked tape failed with failure: asks whether to browse for
// it and opens the file chosen through handler. *opened tells whether a tape
// was opened. 0 when the person declines or cancels, failure when no
// registry answers, else the result of opening the file chosen.
HResult BrowseForMissingTape(IHostShell* shell, ModuleHandle module, IMediaHandler* handler, IMediaHost* media,
                             const char* path, HResult failure, bool* opened);

// Deletes the tapes extracted into the private tape folder; the folder stays.
void EmptyPrivateTapeFolder();

}  // namespace reelbox

// The recorder window's handling of recorded blocks: they are appended to the
// current tape file and to the in-memory tape, and a failed write asks the
// user whether to try again.
#pragma once

#include <cstdint>

#include "contract/host_interfaces.h"
#include "tape/tape_block_list.h"

namespace reelbox {

// What the writer needs of the recorder window.
struct RecordingTarget {
  ModuleHandle instance;  // source of the message texts
  IHostShell* host;       // modal state and the owner of message boxes; may be null
  WindowHandle window;    // the recorder window, whose pending tape events are swept
  const char* tapePath;   // the current tape file
  TapeBlockList* blockList;
  // Rebuilds the table of contents after the tape has changed; may be null.
  void (*refillTableOfContents)(void* context);
  void* context;
};

// Appends the deck's recorded blocks (*list, oldest first) to the tape file,
// in TZX form for a .tzx file and TAP form otherwise, and to the in-memory
// tape; frees those not written and leaves *list empty. Runs on the window
// thread with the host's emulation held (its modal state).
void WriteRecordedBlocks(const RecordingTarget& target, TapeBlock** list);

// Shows "cannot update" with the file's name and the system's text for error,
// with the given buttons; returns the button pressed.
std::int32_t ShowUpdateError(const RecordingTarget& target, std::int32_t error, std::uint32_t buttons);

}  // namespace reelbox

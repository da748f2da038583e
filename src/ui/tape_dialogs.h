// The recorder window's answers to a tape's message and select blocks: the
// message dialog and the program-choice dialog.
#pragma once

#include <cstdint>
#include <vector>

#include "contract/host_interfaces.h"
#include "engine/command_queue.h"
#include "tape/tape_block_list.h"
#include "ui/tape_dialog_content.h"

namespace reelbox {

struct DialogOwner {
  ModuleHandle module;  // holds the dialog templates
  IHostShell* host;     // its main window owns the dialogs; may be null
};

// TAPE_EVENT_MESSAGE: shows the block's text for its time, without waiting.
void ShowMessage(const DialogOwner& owner, const TapeBlockList& list, std::int32_t blockIndex);
// TAPE_EVENT_SELECT: lets the user choose a part of the tape; a choice inside
// the tape queues the jump to it and Play, Cancel queues nothing.
void SelectBlock(const DialogOwner& owner, const TapeBlockList& list, std::int32_t blockIndex, CommandQueue& queue);

// The views: real dialogs on Windows, the host's dialog handler natively.
// OpenMessageDialog frees what it makes by itself; RunProgramChoiceDialog
// returns the chosen choice's offset, or 0 for Cancel or no choice.
void OpenMessageDialog(const DialogOwner& owner, const TapeMessage& message, std::int32_t blockIndex);
std::int32_t RunProgramChoiceDialog(const DialogOwner& owner, const std::vector<ProgramChoice>& choices,
                                    std::int32_t blockIndex);

}  // namespace reelbox

#include "ui/tape_dialogs.h"

namespace reelbox {

void ShowMessage(const DialogOwner& owner, const TapeBlockList& list, std::int32_t blockIndex) {
  const TapeBlock* block = list.GetBlock(blockIndex);
  if (block == nullptr || block->id != 0x31) return;
  OpenMessageDialog(owner, ReadTapeMessage(*block), blockIndex);
}

void SelectBlock(const DialogOwner& owner, const TapeBlockList& list, std::int32_t blockIndex, CommandQueue& queue) {
  const TapeBlock* block = list.GetBlock(blockIndex);
  if (block == nullptr || block->id != 0x28) return;
  const std::int32_t offset = RunProgramChoiceDialog(owner, ReadProgramChoices(*block), blockIndex);
  if (!ChoiceSkip(blockIndex, offset, list.GetCount())) return;
  queue.PostCommand(CMD_SKIP_BLOCKS, static_cast<std::uint32_t>(offset), 0);
  queue.PostCommand(CMD_PLAY, 1, 0);
}

}  // namespace reelbox

// Natively the dialogs are described to the host's dialog handler.
#include "ui/tape_dialogs.h"

#include "platform/headless_dialog.h"

namespace reelbox {
namespace {

WindowHandle OwnerWindow(const DialogOwner& owner) {
  return owner.host != nullptr ? owner.host->GetMainWindow() : nullptr;
}

}  // namespace

void OpenMessageDialog(const DialogOwner& owner, const TapeMessage& message, std::int32_t blockIndex) {
  platform::ShowHeadlessMessage(OwnerWindow(owner), message.text, message.seconds, blockIndex);
}

std::int32_t RunProgramChoiceDialog(const DialogOwner& owner, const std::vector<ProgramChoice>& choices,
                                    std::int32_t blockIndex) {
  std::vector<const char*> items;
  for (const ProgramChoice& choice : choices) items.push_back(choice.description);
  const std::int32_t chosen =
      platform::ChooseHeadless(OwnerWindow(owner), items.data(), static_cast<std::uint32_t>(items.size()), blockIndex);
  return chosen >= 0 ? choices[static_cast<std::size_t>(chosen)].offset : 0;
}

}  // namespace reelbox

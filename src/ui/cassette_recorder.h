// The cassette recorder tool window object: the window, its settings, the
// command queue to the deck and the flags other rooms read or set.
#pragma once

#include <atomic>
#include <cstdint>

#include "contract/host_interfaces.h"
#include "engine/command_queue.h"
#include "tape/tape_block_list.h"
#include "ui/apply_options.h"

namespace reelbox {

class TapeDeck;

class CassetteRecorder {
 public:
  CassetteRecorder(ModuleHandle instance, TapeBlockList* blockList);
  CassetteRecorder(const CassetteRecorder&) = delete;
  CassetteRecorder& operator=(const CassetteRecorder&) = delete;

  // Creates the window as a child of owner; null when it cannot be created.
  // From then on the object frees itself when its window is destroyed.
  WindowHandle Create(WindowHandle owner, IHostShell* shell);
  // Frees an object whose window could not be created.
  void Discard() { delete this; }
  // Shows a new tape (path), or no tape (null).
  void TapeLoaded(const char* path);

  // Any thread: queues a command for the deck.
  bool PostCommand(std::uint32_t code, std::uint32_t arg1, std::uint32_t arg2);
  // Emulation thread, at frame start: runs the queued commands on the deck.
  void DrainCommands(TapeDeck& deck);

  // The plug-in's pointer to this object, cleared when the window goes; and
  // ForgetOwner for when the plug-in goes first.
  void SetOwnerSlot(CassetteRecorder** slot) { ownerSlot = slot; }
  void ForgetOwner() { ownerSlot = nullptr; }

  WindowHandle Window() const { return window; }
  CommandQueue& Queue() { return queue; }

  // Reads the window's settings and sends the deck's share of them through
  // the queue; SaveSettings writes them back.
  void LoadSettings();
  void SaveSettings();
  // The options page's Apply: the options toolbar, the deck and the window's
  // four fields take the values at once.
  void ApplyOptions(TapeDeck& deck, const WindowOptions& options);

  // Settings and flags.
  std::uint32_t showWindow = 0;
  std::uint32_t detailedToc = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::uint32_t autoLoad = 1;
  std::uint32_t recordDisabled = 1;
  std::atomic<std::uint32_t> reportBlock{0};  // set on the window thread, cleared by the drain
  std::uint32_t tapeInserted = 0;
  std::uint32_t fastLoad = 1;
  std::uint32_t autoPlay = 1;
  std::uint32_t loadingTones = 1;
  char tapePath[260] = {};

  // The deck's latest notifications, as the window has received them.
  std::int32_t shownState = 1;
  std::int32_t shownBlock = 0;

 private:
  ~CassetteRecorder();
  static MessageResult WindowProcedure(void* context, WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                       MessageLParam lParam);
  MessageResult OnMessage(std::uint32_t message, MessageWParam wParam, MessageLParam lParam);
  void OnTapeEvent(std::uint32_t code, MessageLParam value);

  ModuleHandle instance;
  IHostShell* host = nullptr;
  WindowHandle window = nullptr;
  TapeBlockList* blockList;
  CassetteRecorder** ownerSlot = nullptr;
  CommandQueue queue;
};

}  // namespace reelbox

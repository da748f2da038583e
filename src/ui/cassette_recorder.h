// The cassette recorder tool window object: the window's decisions (title,
// table of contents, buttons, status texts, commands, host items), its
// settings, the command queue to the deck and the flags other rooms read or
// set. What it shows goes through a RecorderView.
#pragma once

#include <atomic>
#include <cstdint>

#include "contract/host_interfaces.h"
#include "engine/command_queue.h"
#include "tape/tape_block_list.h"
#include "ui/apply_options.h"
#include "ui/recorder_view.h"

namespace reelbox {

class TapeDeck;

class CassetteRecorder {
 public:
  CassetteRecorder(ModuleHandle instance, TapeBlockList* blockList);
  CassetteRecorder(const CassetteRecorder&) = delete;
  CassetteRecorder& operator=(const CassetteRecorder&) = delete;

  // Creates the window owned by owner; null when it cannot be created.
  // From then on the object frees itself when its window is destroyed.
  WindowHandle Create(WindowHandle owner, IHostShell* shell);
  // Frees an object whose window could not be created.
  void Discard() { delete this; }
  // Shows a new tape (path), or no tape (null).
  void TapeLoaded(const char* path);
  void LockControls(bool locked, std::int32_t deckState);
  void Reposition();

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
  RecorderView* View() const { return view; }

  // Reads the window's settings and sends the deck's share of them through
  // the queue; SaveSettings writes them back.
  void LoadSettings();
  void SaveSettings();
  // The options page's Apply: the options toolbar, the deck and the window's
  // four fields take the values at once.
  void ApplyOptions(TapeDeck& deck, const WindowOptions& options);

  // Table of contents.
  void FillTableOfContents();
  void HighlightBlock(std::int32_t index);
  // Buttons, check marks, status text and the host's status icon for a deck state.
  void UpdateControls(std::int32_t state);
  void LayoutStatusBar();
  // The button and menu commands of the window.
  void OnCommand(std::uint32_t id);
  void Play();

  // Items in the host (reached through IToolWindow).
  HResult AddMenuItems(std::uint32_t ctrlKeys);
  HResult AddHostToolbarButton();
  void OnHostCommand(std::uint32_t id);
  void UpdateMenu(MenuHandle menu);
  void GetMenuHelp(std::uint32_t id, char* buffer, std::int32_t size);

  // The deck's notifications (WM_TAPE_EVENT), one member per code.
  void OnTapeEvent(std::uint32_t code, MessageLParam value);
  void OnBlockEvent(std::int32_t index);
  void OnStateEvent(std::int32_t state);
  void OnTapeMessage(std::int32_t blockIndex);
  void OnSelectBlock(std::int32_t blockIndex);
  void OnRecordedBlocks(MessageLParam recordedBlocks);

  // Window events, from the view.
  void OnWindowCreated(RecorderView* createdView);
  void OnSize(std::int32_t width, std::int32_t height);
  void OnMove();
  void OnClose();
  void OnDestroy();
  void OnNcDestroy();
  void OnRowClicked();
  // The string id of a button's tooltip.
  int TooltipString(std::uint32_t command) const;
  // Unhandled messages: the host's default handling; false without a host.
  bool HostDefault(std::uint32_t message, MessageWParam wParam, MessageLParam lParam, MessageResult* result);

  ModuleHandle Instance() const { return instance; }

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
  std::uint32_t controlsLocked = 0;
  char tapePath[260] = {};

  // The host's ids of the window's items.
  std::uint32_t menuCommandId = 0;
  std::uint32_t playStopCommandId = 0;
  std::uint32_t recordCommandId = 0;
  std::uint32_t hostStatusPane = 0;

  // The deck's latest notifications, as the window has received them.
  std::int32_t shownState = 1;
  std::int32_t shownBlock = 0;

 private:
  ~CassetteRecorder();
  void JumpToRow(std::int32_t row);
  void CentreOverOwner();
  bool CtrlKeyScheme() const;

  ModuleHandle instance;
  IHostShell* host = nullptr;
  WindowHandle window = nullptr;
  RecorderView* view = nullptr;  // owned; goes with the window
  TapeBlockList* blockList;
  IconHandle tapeIcon = nullptr;
  IconHandle recordIcon = nullptr;
  std::uint32_t hostMessageState = 0;
  CassetteRecorder** ownerSlot = nullptr;
  CommandQueue queue;
};

}  // namespace reelbox

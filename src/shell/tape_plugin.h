// The plug-in object: four interfaces over the tape, the deck and the recorder
// window. Almost every operation forwards to one of them.
#pragma once

#include <atomic>
#include <cstdint>

#include "contract/plugin_interfaces.h"
#include "engine/tape_deck.h"
#include "tape/tape_block_list.h"
#include "ui/options_page_model.h"

namespace reelbox {

class CassetteRecorder;

class TapePlugin final : public IMediaHandler, public IToolWindow, public IDevice, public IOptionsProvider {
 public:
  TapePlugin();

  // IUnknown, shared by the four interfaces.
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override;
  std::uint32_t RB_CALL Release() override;

  // IMediaHandler
  HResult RB_CALL CreateMedia(std::uint32_t unused, const char* path, IMediaHost* media) override;
  HResult RB_CALL OpenMedia(const char* path, IMediaHost* media, std::uint32_t flags) override;
  HResult RB_CALL OpenMediaFromMemory(const void* data, std::uint32_t size, IMediaHost* media,
                                      std::uint32_t flags) override;
  HResult RB_CALL MediaSlot6(std::uintptr_t, std::uintptr_t) override;
  HResult RB_CALL GetCreateType(std::uint32_t index, CreateTypeInfo* info) override;
  HResult RB_CALL MediaSlot8(std::uintptr_t, std::uintptr_t) override;
  HResult RB_CALL MediaSlot9(std::uintptr_t, std::uintptr_t) override;
  HResult RB_CALL MediaSlot10(std::uintptr_t) override;
  HResult RB_CALL GetCapabilities(std::uint32_t* flags) override;
  HResult RB_CALL GetFilterText(std::uint32_t kind, char* buffer, std::int32_t size) override;
  HResult RB_CALL GetExtensions(std::uint32_t kind, const char* const** list, std::uint32_t* count) override;

  // IToolWindow
  HResult RB_CALL GetCommandHelp(std::uint32_t commandId, char* buffer, std::int32_t size) override;
  HResult RB_CALL UpdateMenu(MenuHandle menu) override;
  HResult RB_CALL Reposition(std::uint32_t unused) override;
  HResult RB_CALL LockControls(std::uint32_t locked) override;
  HResult RB_CALL ToolSlot7() override;
  std::int32_t RB_CALL GetPriority() override;
  HResult RB_CALL Create(WindowHandle parent, IHostShell* shell) override;
  HResult RB_CALL AddMenuItems(std::uint32_t useCtrlKeys) override;
  HResult RB_CALL AddToolbarButton() override;
  HResult RB_CALL OnCommand(std::uint32_t commandId) override;

  // IDevice
  HResult RB_CALL ReadPort(std::uint32_t port, std::uint8_t* value) override;
  HResult RB_CALL WritePort(std::uint32_t port, std::uint8_t value) override;
  HResult RB_CALL ExecuteTrap(std::uint16_t address) override;
  HResult RB_CALL Reset(std::uint32_t unused) override;
  HResult RB_CALL DeviceSlot7(std::uintptr_t, std::uintptr_t) override;
  HResult RB_CALL DeviceSlot8() override;
  HResult RB_CALL DeviceSlot9(std::uintptr_t) override;
  HResult RB_CALL DeviceSlot10() override;
  HResult RB_CALL DeviceSlot11() override;
  HResult RB_CALL SaveState(ISnapshotWriter* writer, IMediaHost* media, std::uint32_t flags) override;
  HResult RB_CALL LoadState(const std::uint8_t* chunk, IMediaHost* media, std::uint32_t flags) override;
  HResult RB_CALL DeviceSlot14(std::uintptr_t, std::uintptr_t, std::uintptr_t) override;
  HResult RB_CALL DeviceSlot15(std::uintptr_t, std::uintptr_t, std::uintptr_t) override;
  HResult RB_CALL DeviceSlot16(std::uintptr_t) override;
  HResult RB_CALL GetName(const char** name) override;
  HResult RB_CALL DeviceSlot18() override;
  HResult RB_CALL Attach(IEmulatedMachine* machine) override;
  HResult RB_CALL Detach() override;
  HResult RB_CALL StopSound() override;
  HResult RB_CALL BeginFrame(std::uint32_t flag) override;
  HResult RB_CALL EndFrame(std::uint32_t, std::uint32_t) override;
  HResult RB_CALL SoundControl(std::uint32_t stop) override;

  // IOptionsProvider
  HResult RB_CALL CreatePage(IOptionsSheet* sheet, PropertyPageHandle* page) override;

  TapeBlockList& BlockList() { return blockList; }
  TapeDeck& Deck() { return deck; }
  CassetteRecorder* RecorderWindow() const { return recorderWindow; }
  // What the options page edits.
  OptionsTarget Options();

 private:
  ~TapePlugin();

  std::atomic<std::int32_t> refCount{0};
  TapeBlockList blockList;
  TapeDeck deck;
  CassetteRecorder* recorderWindow = nullptr;  // not owned: it frees itself with its window
  std::uint32_t embedTape = 0;
  std::uint32_t warnEmbedLargeFiles = 1;
  IHostShell* shell = nullptr;
};

}  // namespace reelbox

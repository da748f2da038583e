// The plug-in's four interfaces, in the host's slot order.
#pragma once

#include "contract/host_interfaces.h"

namespace reelbox {

constexpr Guid IID_IMediaHandler = {0xEDBB2C2F, 0x2C6A, 0x41C7, {0xB7, 0xCD, 0xA3, 0x35, 0x04, 0x07, 0x87, 0x15}};
constexpr Guid IID_IToolWindow = {0x840EB9E1, 0xA56B, 0x4545, {0xB7, 0x62, 0xE2, 0x9B, 0xA3, 0xBC, 0xCD, 0x86}};
constexpr Guid IID_IDevice = {0xFAF0D44D, 0x1D66, 0x4BF9, {0x89, 0xEC, 0xBC, 0x2C, 0xB0, 0x41, 0xB1, 0xA1}};
constexpr Guid IID_IOptionsProvider = {0xF515D745, 0x3373, 0x4FCB, {0x96, 0x81, 0xC8, 0x73, 0xF2, 0x90, 0x9C, 0x6F}};

// Filled by GetCreateType; owned by the host.
struct CreateTypeInfo {
  char name[64];
  char description[256];
  std::uint8_t notWritten[128];
  std::uint32_t icon;  // icon handle; user-object handles carry 32 significant bits
  char extension[16];
};
static_assert(sizeof(CreateTypeInfo) == 468, "CreateTypeInfo layout");

struct IMediaHandler : IUnknown {
  virtual HResult RB_CALL CreateMedia(std::uint32_t unused, const char* path, IMediaHost* media) = 0;  // 3
  virtual HResult RB_CALL OpenMedia(const char* path, IMediaHost* media, std::uint32_t flags) = 0;     // 4
  virtual HResult RB_CALL OpenMediaFromMemory(const void* data, std::uint32_t size, IMediaHost* media,
                                              std::uint32_t flags) = 0;                                 // 5
  virtual HResult RB_CALL MediaSlot6(std::uintptr_t, std::uintptr_t) = 0;
  virtual HResult RB_CALL GetCreateType(std::uint32_t index, CreateTypeInfo* info) = 0;  // 7
  virtual HResult RB_CALL MediaSlot8(std::uintptr_t, std::uintptr_t) = 0;
  virtual HResult RB_CALL MediaSlot9(std::uintptr_t, std::uintptr_t) = 0;
  virtual HResult RB_CALL MediaSlot10(std::uintptr_t) = 0;
  virtual HResult RB_CALL GetCapabilities(std::uint32_t* flags) = 0;                         // 11
  virtual HResult RB_CALL GetFilterText(std::uint32_t kind, char* buffer, std::int32_t size) = 0;  // 12
  virtual HResult RB_CALL GetExtensions(std::uint32_t kind, const char* const** list, std::uint32_t* count) = 0;  // 13
};

struct IToolWindow : IUnknown {
  virtual HResult RB_CALL GetCommandHelp(std::uint32_t commandId, char* buffer, std::int32_t size) = 0;  // 3
  virtual HResult RB_CALL UpdateMenu(MenuHandle menu) = 0;                                             // 4
  virtual HResult RB_CALL Reposition(std::uint32_t unused) = 0;                                        // 5
  virtual HResult RB_CALL LockControls(std::uint32_t locked) = 0;                                      // 6
  virtual HResult RB_CALL ToolSlot7() = 0;
  virtual std::int32_t RB_CALL GetPriority() = 0;                                    // 8: a plain value
  virtual HResult RB_CALL Create(WindowHandle parent, IHostShell* shell) = 0;        // 9
  virtual HResult RB_CALL AddMenuItems(std::uint32_t useCtrlKeys) = 0;               // 10
  virtual HResult RB_CALL AddToolbarButton() = 0;                                    // 11
  virtual HResult RB_CALL OnCommand(std::uint32_t commandId) = 0;                    // 12
};

struct IDevice : IUnknown {
  virtual HResult RB_CALL ReadPort(std::uint32_t port, std::uint8_t* value) = 0;  // 3
  virtual HResult RB_CALL WritePort(std::uint32_t port, std::uint8_t value) = 0;  // 4: the deck never sees MIC
  virtual HResult RB_CALL ExecuteTrap(std::uint16_t address) = 0;                 // 5
  virtual HResult RB_CALL Reset(std::uint32_t unused) = 0;                        // 6
  virtual HResult RB_CALL DeviceSlot7(std::uintptr_t, std::uintptr_t) = 0;
  virtual HResult RB_CALL DeviceSlot8() = 0;
  virtual HResult RB_CALL DeviceSlot9(std::uintptr_t) = 0;
  virtual HResult RB_CALL DeviceSlot10() = 0;
  virtual HResult RB_CALL DeviceSlot11() = 0;
  virtual HResult RB_CALL SaveState(ISnapshotWriter* writer, IMediaHost* media, std::uint32_t flags) = 0;  // 12
  virtual HResult RB_CALL LoadState(const std::uint8_t* chunk, IMediaHost* media, std::uint32_t flags) = 0;  // 13
  virtual HResult RB_CALL DeviceSlot14(std::uintptr_t, std::uintptr_t, std::uintptr_t) = 0;
  virtual HResult RB_CALL DeviceSlot15(std::uintptr_t, std::uintptr_t, std::uintptr_t) = 0;
  virtual HResult RB_CALL DeviceSlot16(std::uintptr_t) = 0;
  virtual HResult RB_CALL GetName(const char** name) = 0;  // 17
  virtual HResult RB_CALL DeviceSlot18() = 0;
  virtual HResult RB_CALL Attach(IEmulatedMachine* machine) = 0;  // 19
  virtual HResult RB_CALL Detach() = 0;                           // 20
  virtual HResult RB_CALL StopSound() = 0;                        // 21
  virtual HResult RB_CALL BeginFrame(std::uint32_t flag) = 0;     // 22
  virtual HResult RB_CALL EndFrame(std::uint32_t, std::uint32_t) = 0;  // 23
  virtual HResult RB_CALL SoundControl(std::uint32_t stop) = 0;   // 24
};

struct IOptionsProvider : IUnknown {
  virtual HResult RB_CALL CreatePage(IOptionsSheet* sheet, PropertyPageHandle* page) = 0;  // 3
};

// The library's only export.
using CreateInstanceFunction = HResult(RB_CALL*)(IUnknown* outer, const Guid& riid, void** out);

}  // namespace reelbox

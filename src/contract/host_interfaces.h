// Interfaces of the emulator host that the plug-in calls. Every slot up to the
// highest one used is declared, named or not, so slot numbers are the host's.
// Slots the plug-in never calls are declared without arguments and are not
// called.
#pragma once

#include "contract/com.h"
#include "contract/sound_interfaces.h"

namespace reelbox {

struct IDevice;
struct IHostObject;

constexpr Guid IID_IHostRegistry = {0xC0751289, 0x94AB, 0x4ACC, {0xBE, 0x5C, 0xC8, 0xC2, 0xF2, 0x11, 0x42, 0xD6}};
constexpr Guid IID_ICompressionService = {0x50925EF2, 0x5211, 0x471A, {0x83, 0x17, 0x6E, 0x6F, 0x3A, 0xB1, 0x49, 0x78}};

// Z80 registers by number (GetRegister / SetRegister).
constexpr std::uint32_t REG_PC = 100;
constexpr std::uint32_t REG_SP = 102;
constexpr std::uint32_t REG_AF = 110;
constexpr std::uint32_t REG_BC = 111;
constexpr std::uint32_t REG_DE = 112;
constexpr std::uint32_t REG_HL = 113;
constexpr std::uint32_t REG_AF_ALT = 120;
constexpr std::uint32_t REG_IX = 130;

// Machine numbers (GetModel).
enum MachineModel : std::uint32_t {
  MODEL_16K = 0,
  MODEL_48K = 1,
  MODEL_128K = 2,
  MODEL_PLUS2 = 3,
  MODEL_PLUS2A = 4,
  MODEL_PLUS3 = 5,
  MODEL_PLUS3E = 6,
  MODEL_SCORPION = 7,
};

// The key of every setting of the plug-in in the host's settings store.
constexpr const char* SETTINGS_KEY = "Plugins\\Reelbox";

// Host object kinds for GetObjectCount / GetObjectAt.
constexpr std::uint32_t HOST_OBJECT_DEVICE = 1;
constexpr std::uint32_t HOST_OBJECT_MEDIA_HANDLER = 2;  // other plug-ins' IMediaHandler

// An accelerator as the window system lays it out (ACCEL).
constexpr std::uint8_t ACCEL_VIRTUAL_KEY = 0x01;
constexpr std::uint8_t ACCEL_SHIFT = 0x04;
constexpr std::uint8_t ACCEL_CONTROL = 0x08;
constexpr std::uint8_t ACCEL_ALT = 0x10;
struct HostAccelerator {
  std::uint8_t modifiers;
  std::uint16_t key;
  std::uint16_t command;
};
static_assert(sizeof(HostAccelerator) == 6, "ACCEL layout");

// A toolbar button record as the common controls lay it out (TBBUTTON).
constexpr std::uint8_t BUTTON_STATE_CHECKED = 0x01;
constexpr std::uint8_t BUTTON_STATE_ENABLED = 0x04;
constexpr std::uint8_t BUTTON_STYLE_BUTTON = 0x00;
constexpr std::uint8_t BUTTON_STYLE_SEPARATOR = 0x01;
constexpr std::uint8_t BUTTON_STYLE_CHECK = 0x02;
constexpr std::uint8_t BUTTON_STYLE_GROUP = 0x04;
constexpr std::uint8_t BUTTON_STYLE_CHECK_GROUP = 0x06;
struct HostToolbarButton {
  std::int32_t image;
  std::int32_t command;
  std::uint8_t state;
  std::uint8_t style;
  std::uint8_t reserved[sizeof(void*) - 2];
  std::uintptr_t data;
  std::intptr_t text;
};

// The host's command group of the plug-in's menu item and accelerators.
constexpr std::uint32_t HOST_GROUP_MENU = 1004;
constexpr std::uint32_t HOST_GROUP_ACCELERATOR = 1000;

// The host's main services to its plug-ins' windows.
struct IHostShell : IUnknown {
  virtual HResult RB_CALL GetOptionFlags(std::uint32_t* flags) = 0;  // 3: bit 0 Ctrl-key accelerators
  virtual HResult RB_CALL ShellSlot4() = 0;
  virtual MessageResult RB_CALL DefWindowProc(WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                              MessageLParam lParam, std::uint32_t* messageState) = 0;  // 5
  virtual MessageResult RB_CALL DefDialogProc(WindowHandle dialog, std::uint32_t message, MessageWParam wParam,
                                              MessageLParam lParam, std::uint32_t* messageState) = 0;  // 6
  virtual HResult RB_CALL AddStatusPane(std::int32_t width, std::uint32_t* paneIndex) = 0;             // 7
  virtual HResult RB_CALL GetStatusBar(WindowHandle* statusBar) = 0;                                   // 8
  virtual HResult RB_CALL ShellSlot9() = 0;
  virtual HResult RB_CALL ShellSlot10() = 0;
  virtual HResult RB_CALL ShellSlot11() = 0;
  virtual HResult RB_CALL ShellSlot12() = 0;
  virtual std::uint32_t RB_CALL SetModalState(std::uint32_t modal) = 0;  // 13: returns the previous state
  virtual HResult RB_CALL ShellSlot14() = 0;
  virtual HResult RB_CALL ShellSlot15() = 0;
  virtual HResult RB_CALL ShellSlot16() = 0;
  virtual HResult RB_CALL ShellSlot17() = 0;
  virtual HResult RB_CALL ShellSlot18() = 0;
  virtual HResult RB_CALL ShellSlot19() = 0;
  virtual HResult RB_CALL ShellSlot20() = 0;
  virtual HResult RB_CALL ShellSlot21() = 0;
  virtual HResult RB_CALL ShellSlot22() = 0;
  virtual HResult RB_CALL BeforeModalDialog() = 0;  // 23
  virtual HResult RB_CALL ShellSlot24() = 0;
  virtual HResult RB_CALL ShellSlot25() = 0;
  virtual HResult RB_CALL ShellSlot26() = 0;
  virtual HResult RB_CALL ShellSlot27() = 0;
  virtual HResult RB_CALL ShellSlot28() = 0;
  virtual HResult RB_CALL ShellSlot29() = 0;
  virtual WindowHandle RB_CALL GetMainWindow() = 0;  // 30: owner of message boxes and dialogs
  // 31: a menu item with its accelerator (text given) or an accelerator alone
  // (text null) in the host's command group; writes the command id.
  virtual HResult RB_CALL AddCommand(std::uint32_t group, const char* text, std::uint32_t flags,
                                     const HostAccelerator* accelerator, std::uint32_t* commandId) = 0;
  virtual HResult RB_CALL ShellSlot32() = 0;
  // 33: one 16x16 glyph from a bitmap resource of module, for command; image index, -1 on failure.
  virtual std::int32_t RB_CALL AddToolbarImage(ModuleHandle module, std::uint32_t bitmapId,
                                               std::uint32_t commandId) = 0;
  virtual HResult RB_CALL AddToolbarButton(std::uint32_t group, const HostToolbarButton* button) = 0;  // 34
  virtual WindowHandle RB_CALL GetToolbar() = 0;                                                       // 35
  virtual HResult RB_CALL ShellSlot36() = 0;
  virtual HResult RB_CALL StoreToolWindowPosition(WindowHandle window, std::int32_t* left,
                                                  std::int32_t* top) = 0;                                 // 37
  virtual HResult RB_CALL PlaceToolWindow(WindowHandle window, std::int32_t left, std::int32_t top) = 0;  // 38
  // 39: leaves *data untouched when the value is absent.
  virtual HResult RB_CALL GetSettingDword(const char* key, const char* name, std::uint32_t* data) = 0;
  virtual HResult RB_CALL SetSettingDword(const char* key, const char* name, std::uint32_t data) = 0;  // 40
  virtual HResult RB_CALL GetSettingString(const char* key, const char* name, char* buffer,
                                           std::uint32_t size) = 0;                                   // 41
  virtual HResult RB_CALL SetSettingString(const char* key, const char* name, const char* text) = 0;  // 42
};

// The emulated machine, handed to IDevice::Attach.
struct IEmulatedMachine : IUnknown {
  // 3, 4: execution traps at an address of a given ROM; the owner's ExecuteTrap is called.
  virtual HResult RB_CALL AddExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                           IDevice* owner) = 0;
  virtual HResult RB_CALL RemoveExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                              IDevice* owner) = 0;
  virtual HResult RB_CALL SetRegister(std::uint32_t number, std::uint32_t value) = 0;   // 5
  virtual HResult RB_CALL GetRegister(std::uint32_t number, std::uint32_t* value) = 0;  // 6
  virtual HResult RB_CALL ReadMemory(std::uint16_t address, std::uint8_t* value) = 0;   // 7
  virtual HResult RB_CALL WriteMemory(std::uint16_t address, std::uint8_t value) = 0;   // 8
  virtual HResult RB_CALL MachineSlot9() = 0;
  virtual HResult RB_CALL MachineSlot10() = 0;
  virtual HResult RB_CALL PopWord(std::uint16_t* value) = 0;  // 11: removes the top word of the Z80 stack
  virtual HResult RB_CALL MachineSlot12() = 0;
  virtual HResult RB_CALL MachineSlot13() = 0;
  virtual HResult RB_CALL MachineSlot14() = 0;
  virtual HResult RB_CALL MachineSlot15() = 0;
  virtual HResult RB_CALL MachineSlot16() = 0;
  virtual HResult RB_CALL MachineSlot17() = 0;
  virtual std::uint32_t RB_CALL GetModel() = 0;   // 18: machine number 0 to 7
  virtual std::uint32_t RB_CALL Is48KMode() = 0;  // 19: 1 when running as (or paged like) a 48K machine
  virtual HResult RB_CALL MachineSlot20() = 0;
  virtual HResult RB_CALL MachineSlot21() = 0;
  virtual HResult RB_CALL MachineSlot22() = 0;
  virtual HResult RB_CALL MachineSlot23() = 0;
  virtual HResult RB_CALL MachineSlot24() = 0;
  virtual HResult RB_CALL SetFullSpeed(std::uint32_t on) = 0;        // 25
  virtual std::uint32_t RB_CALL GetFrameClock() = 0;                 // 26: T-states since the frame began
  virtual HResult RB_CALL SetFrameClock(std::uint32_t tstates) = 0;  // 27
  virtual std::uint32_t RB_CALL GetFrameLength() = 0;                // 28: T-states per frame
  virtual HResult RB_CALL MachineSlot29() = 0;
  virtual std::uint32_t RB_CALL GetRealTimeFlag() = 0;  // 30
  virtual HResult RB_CALL MachineSlot31() = 0;
  virtual HResult RB_CALL MachineSlot32() = 0;
  virtual HResult RB_CALL GetSoundDevice(IDirectSound** device) = 0;  // 33: one reference for the caller
  virtual std::uint32_t RB_CALL IsSoundOff() = 0;                     // 34
  virtual std::uint32_t RB_CALL IsSoundSuspended() = 0;               // 35
};

// Properties of sibling plug-ins and the host's objects.
struct IHostRegistry : IUnknown {
  virtual HResult RB_CALL GetProperty(const char* name, void* buffer, std::uint32_t size) = 0;      // 3
  virtual HResult RB_CALL SetProperty(const char* name, const void* data, std::uint32_t size) = 0;  // 4
  virtual HResult RB_CALL RegistrySlot5() = 0;
  virtual HResult RB_CALL RegistrySlot6() = 0;
  virtual HResult RB_CALL GetObjectCount(std::uint32_t kind, std::uint32_t* count) = 0;  // 7
  virtual HResult RB_CALL GetObjectAt(std::uint32_t kind, std::uint32_t index,
                                      IHostObject** object) = 0;  // 8: no reference added
};

// One of the host's objects (devices, the display).
struct IHostObject : IUnknown {
  virtual HResult RB_CALL ObjectSlot3() = 0;
  virtual HResult RB_CALL WritePort(std::uint16_t port, std::uint8_t value) = 0;  // 4
  virtual HResult RB_CALL ObjectSlot5() = 0;
  virtual HResult RB_CALL ObjectSlot6() = 0;
  virtual HResult RB_CALL ObjectSlot7() = 0;
  virtual HResult RB_CALL ObjectSlot8() = 0;
  virtual HResult RB_CALL ObjectSlot9() = 0;
  virtual HResult RB_CALL ObjectSlot10() = 0;
  virtual HResult RB_CALL ObjectSlot11() = 0;
  virtual HResult RB_CALL ObjectSlot12() = 0;
  virtual HResult RB_CALL ObjectSlot13() = 0;
  virtual HResult RB_CALL ObjectSlot14() = 0;
  virtual HResult RB_CALL ObjectSlot15() = 0;
  virtual HResult RB_CALL ObjectSlot16() = 0;
  virtual HResult RB_CALL GetName(const char** name) = 0;  // 17
};

// The host side of opening media.
struct IMediaHost : IUnknown {
  virtual HResult RB_CALL MediaHostSlot3() = 0;
  virtual HResult RB_CALL MediaHostSlot4() = 0;
  virtual HResult RB_CALL MediaHostSlot5() = 0;
  virtual HResult RB_CALL MediaHostSlot6() = 0;
  virtual std::uint32_t RB_CALL IsAutoLoadBlocked() = 0;        // 7
  virtual HResult RB_CALL MediaOpened(const char* path) = 0;    // 8
  virtual HResult RB_CALL MediaNotify(std::uint32_t code) = 0;  // 9
  virtual HResult RB_CALL MediaHostSlot10() = 0;
  virtual std::uint32_t RB_CALL GetModel() = 0;  // 11: machine number
};

// Inflates a zlib stream read from an open file.
struct IInflateReader : IUnknown {
  // 3: up to size bytes; *produced 0 means the end.
  virtual HResult RB_CALL Read(void* buffer, std::uint32_t size, std::uint32_t* produced) = 0;
};

// zlib compression, a service of the host.
struct ICompressionService : IUnknown {
  // 3: *destinationSize holds the capacity and receives the bytes produced.
  virtual HResult RB_CALL Decompress(const void* source, std::uint32_t sourceSize, void* destination,
                                     std::uint32_t* destinationSize) = 0;
  // 4: reads compressedBytes from the file's current position.
  virtual HResult RB_CALL OpenInflateReader(NativeFileHandle file, std::uint32_t compressedBytes,
                                            IInflateReader** reader) = 0;
  virtual HResult RB_CALL CompressionSlot5() = 0;
  virtual HResult RB_CALL CompressionSlot6() = 0;
  virtual HResult RB_CALL CompressionSlot7() = 0;
  // 8: *destinationSize holds the capacity and receives the bytes produced.
  virtual HResult RB_CALL Compress(const void* source, std::uint32_t sourceSize, void* destination,
                                   std::uint32_t* destinationSize) = 0;
};

// Receives the chunks of a snapshot being saved.
struct ISnapshotWriter : IUnknown {
  // 3: data is the whole chunk, its identifier and size field included; size counts every byte.
  virtual HResult RB_CALL WriteChunk(std::uint32_t chunkId, const void* data, std::uint32_t size) = 0;
};

// The host's settings dialog.
struct IOptionsSheet : IUnknown {
  virtual HResult RB_CALL SheetSlot3() = 0;
  virtual HResult RB_CALL SheetSlot4() = 0;
  virtual HResult RB_CALL SheetSlot5() = 0;
  virtual HResult RB_CALL SheetSlot6() = 0;
  virtual HResult RB_CALL SheetSlot7() = 0;
  virtual HResult RB_CALL SheetSlot8() = 0;
  virtual HResult RB_CALL SheetSlot9() = 0;
  virtual HResult RB_CALL SheetSlot10() = 0;
  // 11: the help topic of a control, as WinHelp is asked: the control's window,
  // 0, the command (12, HELP_WM_HELP) and pairs of control and help ids ended by 0, 0.
  virtual HResult RB_CALL ShowContextHelp(WindowHandle window, std::uint32_t reserved, std::uint32_t command,
                                          const std::uint32_t* helpIds) = 0;
};

}  // namespace reelbox

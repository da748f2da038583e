// A scripted emulated machine for tests: the test sets the frame clock, the
// registers (by the host's numbers) and the 64 KB of memory; the machine keeps a
// record of what the plug-in asked of it (full speed, traps, port writes to the
// display object). It also serves as the host registry with settable
// properties and host objects. Objects live on the test's stack: references are
// counted so tests can check them, but nothing is freed by Release.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "contract/host_interfaces.h"

namespace reelbox::test {

// One of the host's objects, found by name (the display object is "vistor.obj").
class ScriptedHostObject final : public IHostObject {
 public:
  explicit ScriptedHostObject(std::string objectName) : name(std::move(objectName)) {}

  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return ++references; }
  std::uint32_t RB_CALL Release() override { return --references; }
  HResult RB_CALL ObjectSlot3() override { return RESULT_NOTIMPL; }
  HResult RB_CALL WritePort(std::uint16_t port, std::uint8_t value) override;
  HResult RB_CALL ObjectSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot7() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot8() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot11() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot12() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot13() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot14() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot15() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ObjectSlot16() override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetName(const char** out) override;

  std::string name;
  std::vector<std::pair<std::uint16_t, std::uint8_t>> portWrites;
  std::uint32_t references = 0;
};

struct TrapCall {
  bool added;  // false: removed
  std::uint16_t address;
  std::uint32_t rom;
  IDevice* owner;
};

class ScriptedMachine final : public IEmulatedMachine, public IHostRegistry {
 public:
  ScriptedMachine();

  // IUnknown (shared by both interfaces)
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return ++references; }
  std::uint32_t RB_CALL Release() override { return --references; }

  // IEmulatedMachine
  HResult RB_CALL AddExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                   IDevice* owner) override;
  HResult RB_CALL RemoveExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                      IDevice* owner) override;
  HResult RB_CALL SetRegister(std::uint32_t number, std::uint32_t value) override;
  HResult RB_CALL GetRegister(std::uint32_t number, std::uint32_t* value) override;
  HResult RB_CALL ReadMemory(std::uint16_t address, std::uint8_t* value) override;
  HResult RB_CALL WriteMemory(std::uint16_t address, std::uint8_t value) override;
  HResult RB_CALL MachineSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL PopWord(std::uint16_t* value) override;
  HResult RB_CALL MachineSlot12() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot13() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot14() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot15() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot16() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot17() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetModel() override { return model; }
  std::uint32_t RB_CALL Is48KMode() override { return is48KMode; }
  HResult RB_CALL MachineSlot20() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot21() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot22() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot23() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot24() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetFullSpeed(std::uint32_t on) override;
  std::uint32_t RB_CALL GetFrameClock() override { return clock; }
  HResult RB_CALL SetFrameClock(std::uint32_t tstates) override;
  std::uint32_t RB_CALL GetFrameLength() override { return frameLength; }
  HResult RB_CALL MachineSlot29() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetRealTimeFlag() override { return realTime; }
  HResult RB_CALL MachineSlot31() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot32() override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetSoundDevice(IDirectSound** device) override;
  std::uint32_t RB_CALL IsSoundOff() override { return soundOff; }
  std::uint32_t RB_CALL IsSoundSuspended() override { return soundSuspended; }

  // IHostRegistry
  HResult RB_CALL GetProperty(const char* name, void* buffer, std::uint32_t size) override;
  HResult RB_CALL SetProperty(const char* name, const void* data, std::uint32_t size) override;
  HResult RB_CALL RegistrySlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL RegistrySlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetObjectCount(std::uint32_t kind, std::uint32_t* count) override;
  HResult RB_CALL GetObjectAt(std::uint32_t kind, std::uint32_t index, IHostObject** object) override;

  // Test conveniences.
  std::uint16_t Register(std::uint32_t number) const;
  void Poke(std::uint16_t address, const std::vector<std::uint8_t>& bytes);
  void PushWord(std::uint16_t value);
  void SetPropertyDword(const std::string& name, std::uint32_t value);

  std::uint32_t clock = 0;
  std::uint32_t frameLength = 69888;
  std::array<std::uint8_t, 65536> memory{};
  std::map<std::uint32_t, std::uint16_t> registers;
  std::uint32_t model = 1;
  std::uint32_t is48KMode = 0;
  std::uint32_t realTime = 0;
  std::uint32_t soundOff = 0;
  std::uint32_t soundSuspended = 0;
  IDirectSound* soundDevice = nullptr;  // handed out with a reference; none: GetSoundDevice fails
  HResult registryResult = RESULT_OK;   // a failure makes the registry unavailable
  std::map<std::string, std::vector<std::uint8_t>> properties;
  std::vector<IHostObject*> objects;  // kind 1

  std::vector<std::uint32_t> fullSpeedCalls;
  std::vector<TrapCall> traps;
  std::uint32_t references = 0;
};

}  // namespace reelbox::test

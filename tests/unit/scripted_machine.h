// A scripted emulated machine for tests: the test sets the frame clock, the
// registers (by the host's numbers) and the 64 KB of memory; the machine keeps a
// record of what the plug-in asked of it (full speed, traps). It hands out the
// reference host's registry, where tests put properties and host objects.
// Objects live on the test's stack: references are counted so tests can check
// them, but nothing is freed by Release.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "contract/host_interfaces.h"
#include "host/host_objects.h"
#include "host/machine_slots.h"

namespace reelbox::test {

struct TrapCall {
  bool added;  // false: removed
  std::uint16_t address;
  std::uint32_t rom;
  IDevice* owner;
};

class ScriptedMachine final : public host::MachineSlots {
 public:
  ScriptedMachine();

  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return ++references; }
  std::uint32_t RB_CALL Release() override { return --references; }

  HResult RB_CALL AddExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                   IDevice* owner) override;
  HResult RB_CALL RemoveExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                      IDevice* owner) override;
  HResult RB_CALL SetRegister(std::uint32_t number, std::uint32_t value) override;
  HResult RB_CALL GetRegister(std::uint32_t number, std::uint32_t* value) override;
  HResult RB_CALL ReadMemory(std::uint16_t address, std::uint8_t* value) override;
  HResult RB_CALL WriteMemory(std::uint16_t address, std::uint8_t value) override;
  HResult RB_CALL PopWord(std::uint16_t* value) override;
  std::uint32_t RB_CALL GetModel() override { return model; }
  std::uint32_t RB_CALL Is48KMode() override { return is48KMode; }
  HResult RB_CALL SetFullSpeed(std::uint32_t on) override;
  std::uint32_t RB_CALL GetFrameClock() override { return clock; }
  HResult RB_CALL SetFrameClock(std::uint32_t tstates) override;
  std::uint32_t RB_CALL GetFrameLength() override { return frameLength; }
  std::uint32_t RB_CALL GetRealTimeFlag() override { return realTime; }
  HResult RB_CALL GetSoundDevice(IDirectSound** device) override;
  std::uint32_t RB_CALL IsSoundOff() override { return soundOff; }
  std::uint32_t RB_CALL IsSoundSuspended() override { return soundSuspended; }

  // Test conveniences.
  std::uint16_t Register(std::uint32_t number) const;
  void Poke(std::uint16_t address, const std::vector<std::uint8_t>& bytes);
  void PushWord(std::uint16_t value);

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
  host::HostRegistry registry;

  std::vector<std::uint32_t> fullSpeedCalls;
  std::vector<TrapCall> traps;
  std::uint32_t references = 0;
};

}  // namespace reelbox::test

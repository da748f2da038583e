// The emulated machine as the plug-in sees it: registers by number, memory,
// the stack, execution traps, the frame clock, full speed and the sound device.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "contract/plugin_interfaces.h"
#include "host/host_objects.h"
#include "host/machine_slots.h"
#include "host/plugin_timer.h"
#include "host/ref_count.h"
#include "host/sound_device.h"
#include "host/zx_machine.h"

namespace reelbox::host {

// A full-speed request and the frame in which it came.
struct FullSpeedRequest {
  std::uint64_t frame;
  std::uint32_t on;
};

struct ExecutionTrap {
  std::uint32_t kind;
  std::uint16_t address;
  std::uint32_t rom;
  IDevice* owner;
};

class EmulatedMachine final : public MachineSlots, private SpectrumListener {
 public:
  // roms holds the machine's ROM pages, ROM_BYTES each.
  EmulatedMachine(const MachineDescription& desc, const std::uint8_t* roms, HostRegistry* registry, SoundDevice* sound);

  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override { return refs_.Drop(); }
  HResult RB_CALL AddExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                   IDevice* owner) override;
  HResult RB_CALL RemoveExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                      IDevice* owner) override;
  HResult RB_CALL SetRegister(std::uint32_t number, std::uint32_t value) override;
  HResult RB_CALL GetRegister(std::uint32_t number, std::uint32_t* value) override;
  HResult RB_CALL ReadMemory(std::uint16_t address, std::uint8_t* value) override;
  HResult RB_CALL WriteMemory(std::uint16_t address, std::uint8_t value) override;
  HResult RB_CALL PopWord(std::uint16_t* value) override;
  std::uint32_t RB_CALL GetModel() override;
  std::uint32_t RB_CALL Is48KMode() override;
  HResult RB_CALL SetFullSpeed(std::uint32_t on) override;
  std::uint32_t RB_CALL GetFrameClock() override { return spectrum_->FrameClock(); }
  HResult RB_CALL SetFrameClock(std::uint32_t tstates) override;
  std::uint32_t RB_CALL GetFrameLength() override { return spectrum_->FrameLength(); }
  std::uint32_t RB_CALL GetRealTimeFlag() override { return realTime_; }
  HResult RB_CALL GetSoundDevice(IDirectSound** device) override;
  std::uint32_t RB_CALL IsSoundOff() override { return soundOff_; }
  std::uint32_t RB_CALL IsSoundSuspended() override { return soundSuspended_; }

  Spectrum& Machine() { return *spectrum_; }
  const Spectrum& Machine() const { return *spectrum_; }
  // Replaces the machine by another model, powered on, keeping the traps.
  void SwitchMachine(const MachineDescription& desc, const std::uint8_t* roms);
  // The device offered every read of an even port; null for none.
  void SetPortDevice(IDevice* device) { portDevice_ = device; }
  PluginTimer& Timer() { return timer_; }

  // Calls observer whenever the CPU is about to execute the instruction at
  // address, anywhere in memory (tests look at the machine there); an empty
  // observer ends the watch. One observer per address.
  void WatchExecution(std::uint16_t address, std::function<void()> observer);

  void SetRealTime(bool on) { realTime_ = on ? 1 : 0; }
  void SetSoundOff(bool on) { soundOff_ = on ? 1 : 0; }
  void SetSoundSuspended(bool on) { soundSuspended_ = on ? 1 : 0; }
  void SetSoundAvailable(bool on) { soundAvailable_ = on; }

  bool FullSpeed() const { return fullSpeed_ != 0; }
  const std::vector<FullSpeedRequest>& FullSpeedRequests() const { return fullSpeedRequests_; }
  const std::vector<ExecutionTrap>& Traps() const { return traps_; }
  std::uint32_t References() const { return refs_.Count(); }

 private:
  void OnUlaRead(std::uint16_t port, std::uint8_t* value) override;
  void OnTrap(std::uint16_t address) override;
  // Arms the CPU's trap at address while any trap there is in the ROM it runs.
  void RefreshTrap(std::uint16_t address);
  // A trap set for rom applies to what the CPU runs now.
  bool InTrapRom(const ExecutionTrap& trap) const;

  RefCount refs_;
  std::unique_ptr<Spectrum> spectrum_;
  HostRegistry* registry_;
  SoundDevice* sound_;
  IDevice* portDevice_ = nullptr;
  PluginTimer timer_;
  std::vector<ExecutionTrap> traps_;
  std::map<std::uint16_t, std::function<void()>> watches_;
  std::uint32_t fullSpeed_ = 0;
  std::vector<FullSpeedRequest> fullSpeedRequests_;
  std::uint32_t realTime_ = 0;
  std::uint32_t soundOff_ = 0;
  std::uint32_t soundSuspended_ = 0;
  bool soundAvailable_ = true;
};

}  // namespace reelbox::host

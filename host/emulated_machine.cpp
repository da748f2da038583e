#include "host/emulated_machine.h"

#include <algorithm>

namespace reelbox::host {
namespace {

bool RegisterByNumber(std::uint32_t number, Z80_REG_T* reg) {
  switch (number) {
    case REG_PC:
      *reg = regPC;
      return true;
    case REG_SP:
      *reg = regSP;
      return true;
    case REG_AF:
      *reg = regAF;
      return true;
    case REG_BC:
      *reg = regBC;
      return true;
    case REG_DE:
      *reg = regDE;
      return true;
    case REG_HL:
      *reg = regHL;
      return true;
    case REG_AF_ALT:
      *reg = regAF_;
      return true;
    case REG_AF_ALT + 1:
      *reg = regBC_;
      return true;
    case REG_AF_ALT + 2:
      *reg = regDE_;
      return true;
    case REG_AF_ALT + 3:
      *reg = regHL_;
      return true;
    case REG_IX:
      *reg = regIX;
      return true;
    case REG_IX + 1:
      *reg = regIY;
      return true;
    default:
      return false;
  }
}

}  // namespace

EmulatedMachine::EmulatedMachine(const MachineDescription& desc, const std::uint8_t* roms, HostRegistry* registry,
                                 SoundDevice* sound)
    : spectrum_(std::make_unique<Spectrum>(desc, roms, static_cast<SpectrumListener*>(this))),
      registry_(registry),
      sound_(sound) {}

void EmulatedMachine::SwitchMachine(const MachineDescription& desc, const std::uint8_t* roms) {
  spectrum_ = std::make_unique<Spectrum>(desc, roms, static_cast<SpectrumListener*>(this));
  for (const ExecutionTrap& trap : traps_) RefreshTrap(trap.address);
  for (const auto& watch : watches_) RefreshTrap(watch.first);
}

HResult EmulatedMachine::QueryInterface(const Guid& riid, void** out) {
  return QueryWithRegistry(this, registry_, riid, out);
}

HResult EmulatedMachine::AddExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                          IDevice* owner) {
  if (owner == nullptr) return RESULT_FAIL;
  traps_.push_back(ExecutionTrap{kind, address, rom, owner});
  RefreshTrap(address);
  return RESULT_OK;
}

HResult EmulatedMachine::RemoveExecutionTrap(std::uint32_t kind, std::uint16_t address, std::uint32_t rom,
                                             IDevice* owner) {
  auto found = std::find_if(traps_.begin(), traps_.end(), [&](const ExecutionTrap& trap) {
    return trap.kind == kind && trap.address == address && trap.rom == rom && trap.owner == owner;
  });
  if (found == traps_.end()) return RESULT_FAIL;
  traps_.erase(found);
  RefreshTrap(address);
  return RESULT_OK;
}

void EmulatedMachine::WatchExecution(std::uint16_t address, std::function<void()> observer) {
  if (observer) {
    watches_[address] = std::move(observer);
  } else {
    watches_.erase(address);
  }
  RefreshTrap(address);
}

void EmulatedMachine::RefreshTrap(std::uint16_t address) {
  const bool armed =
      watches_.count(address) != 0 ||
      std::any_of(traps_.begin(), traps_.end(), [this, address](const ExecutionTrap& trap) {
        return trap.address == address && trap.rom == spectrum_->Description().basicRomNumber && address < ROM_BYTES;
      });
  spectrum_->SetTrap(address, armed);
}

void EmulatedMachine::OnTrap(std::uint16_t address) {
  const auto watch = watches_.find(address);
  if (watch != watches_.end()) {
    const std::function<void()> observer = watch->second;  // it may end its own watch
    observer();
  }
  // A trap's owner may remove traps while it runs.
  std::vector<IDevice*> owners;
  for (const ExecutionTrap& trap : traps_) {
    if (trap.address == address && InTrapRom(trap)) owners.push_back(trap.owner);
  }
  for (IDevice* owner : owners) timer_.Time([&] { return owner->ExecuteTrap(address); });
}

void EmulatedMachine::OnUlaRead(std::uint16_t port, std::uint8_t* value) {
  if (portDevice_ != nullptr) timer_.Time([&] { return portDevice_->ReadPort(port, value); });
}

HResult EmulatedMachine::SetRegister(std::uint32_t number, std::uint32_t value) {
  Z80_REG_T reg;
  if (!RegisterByNumber(number, &reg)) return RESULT_FAIL;
  spectrum_->SetRegister(reg, static_cast<std::uint16_t>(value));
  return RESULT_OK;
}

HResult EmulatedMachine::GetRegister(std::uint32_t number, std::uint32_t* value) {
  Z80_REG_T reg;
  if (value == nullptr || !RegisterByNumber(number, &reg)) return RESULT_FAIL;
  *value = spectrum_->Register(reg);
  return RESULT_OK;
}

HResult EmulatedMachine::ReadMemory(std::uint16_t address, std::uint8_t* value) {
  if (value == nullptr) return RESULT_FAIL;
  *value = spectrum_->Peek(address);
  return RESULT_OK;
}

// The ROM, and the absent upper RAM of a 16K machine, keep their bytes.
HResult EmulatedMachine::WriteMemory(std::uint16_t address, std::uint8_t value) {
  spectrum_->Poke(address, value);
  return spectrum_->Peek(address) == value ? RESULT_OK : RESULT_FALSE;
}

HResult EmulatedMachine::PopWord(std::uint16_t* value) {
  if (value == nullptr) return RESULT_FAIL;
  *value = spectrum_->PopWord();
  return RESULT_OK;
}

// Only the 48 BASIC ROM has numbers the plug-in traps; the trap applies while
// that ROM is paged in.
bool EmulatedMachine::InTrapRom(const ExecutionTrap& trap) const {
  const MachineDescription& desc = spectrum_->Description();
  return trap.rom == desc.basicRomNumber && spectrum_->RomPage() == static_cast<int>(desc.basicRomPage);
}

std::uint32_t EmulatedMachine::GetModel() { return spectrum_->Description().model; }

// 1 on the 16K and 48K, and on the others while 48 BASIC's ROM is paged in.
std::uint32_t EmulatedMachine::Is48KMode() {
  const MachineDescription& desc = spectrum_->Description();
  return desc.paging == Paging::None || spectrum_->RomPage() == static_cast<int>(desc.basicRomPage) ? 1 : 0;
}

HResult EmulatedMachine::SetFullSpeed(std::uint32_t on) {
  fullSpeed_ = on != 0 ? 1 : 0;
  fullSpeedRequests_.push_back(FullSpeedRequest{spectrum_->FramesRun(), fullSpeed_});
  return RESULT_OK;
}

HResult EmulatedMachine::SetFrameClock(std::uint32_t tstates) {
  spectrum_->SetFrameClock(tstates);
  return RESULT_OK;
}

HResult EmulatedMachine::GetSoundDevice(IDirectSound** device) {
  if (device == nullptr) return RESULT_FAIL;
  *device = nullptr;
  if (!soundAvailable_ || sound_ == nullptr) return RESULT_FAIL;
  sound_->AddRef();
  *device = sound_;
  return RESULT_OK;
}

}  // namespace reelbox::host

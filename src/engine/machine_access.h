// Short-hands for the deck's reads and writes of the emulated Z80 through the
// host. Registers are 16-bit; B and L are bytes of BC and HL; carry is bit 0 of F.
#pragma once

#include <cstdint>

#include "contract/host_interfaces.h"

namespace reelbox {

class MachineAccess {
 public:
  explicit MachineAccess(IEmulatedMachine* machine) : machine_(machine) {}

  std::uint16_t Register(std::uint32_t number) const {
    std::uint32_t value = 0;
    machine_->GetRegister(number, &value);
    return static_cast<std::uint16_t>(value);
  }
  void SetRegister(std::uint32_t number, std::uint16_t value) const { machine_->SetRegister(number, value); }
  std::uint8_t Byte(std::uint16_t address) const {
    std::uint8_t value = 0;
    machine_->ReadMemory(address, &value);
    return value;
  }
  void SetByte(std::uint16_t address, std::uint8_t value) const { machine_->WriteMemory(address, value); }
  std::uint16_t Word(std::uint16_t address) const {
    return static_cast<std::uint16_t>(Byte(address) | (Byte(static_cast<std::uint16_t>(address + 1)) << 8));
  }
  std::uint16_t Pop() const {
    std::uint16_t value = 0;
    machine_->PopWord(&value);
    return value;
  }

 private:
  IEmulatedMachine* machine_;
};

inline std::uint8_t HighByte(std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); }
inline std::uint8_t LowByte(std::uint16_t value) { return static_cast<std::uint8_t>(value); }
inline std::uint16_t WithHighByte(std::uint16_t value, std::uint8_t high) {
  return static_cast<std::uint16_t>((value & 0x00FF) | (high << 8));
}
inline std::uint16_t WithLowByte(std::uint16_t value, std::uint8_t low) {
  return static_cast<std::uint16_t>((value & 0xFF00) | low);
}
inline std::uint16_t WithCarry(std::uint16_t af, bool carry) {
  return static_cast<std::uint16_t>(carry ? (af | 1) : (af & ~1u));
}
inline std::uint16_t Offset(std::uint16_t address, int offset) { return static_cast<std::uint16_t>(address + offset); }

}  // namespace reelbox

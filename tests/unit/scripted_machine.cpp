#include "scripted_machine.h"

namespace reelbox::test {

ScriptedMachine::ScriptedMachine() { registers[REG_SP] = 0xFF00; }

HResult ScriptedMachine::QueryInterface(const Guid& riid, void** out) {
  return host::QueryWithRegistry(this, &registry, riid, out);
}

HResult ScriptedMachine::AddExecutionTrap(std::uint32_t, std::uint16_t address, std::uint32_t rom, IDevice* owner) {
  traps.push_back(TrapCall{true, address, rom, owner});
  return RESULT_OK;
}

HResult ScriptedMachine::RemoveExecutionTrap(std::uint32_t, std::uint16_t address, std::uint32_t rom, IDevice* owner) {
  traps.push_back(TrapCall{false, address, rom, owner});
  return RESULT_OK;
}

HResult ScriptedMachine::SetRegister(std::uint32_t number, std::uint32_t value) {
  registers[number] = static_cast<std::uint16_t>(value);
  return RESULT_OK;
}

HResult ScriptedMachine::GetRegister(std::uint32_t number, std::uint32_t* value) {
  *value = Register(number);
  return RESULT_OK;
}

HResult ScriptedMachine::ReadMemory(std::uint16_t address, std::uint8_t* value) {
  *value = memory[address];
  return RESULT_OK;
}

HResult ScriptedMachine::WriteMemory(std::uint16_t address, std::uint8_t value) {
  memory[address] = value;
  return RESULT_OK;
}

HResult ScriptedMachine::PopWord(std::uint16_t* value) {
  const std::uint16_t sp = Register(REG_SP);
  *value = static_cast<std::uint16_t>(memory[sp] | (memory[static_cast<std::uint16_t>(sp + 1)] << 8));
  registers[REG_SP] = static_cast<std::uint16_t>(sp + 2);
  return RESULT_OK;
}

HResult ScriptedMachine::SetFullSpeed(std::uint32_t on) {
  fullSpeedCalls.push_back(on);
  return RESULT_OK;
}

HResult ScriptedMachine::SetFrameClock(std::uint32_t tstates) {
  clock = tstates;
  return RESULT_OK;
}

HResult ScriptedMachine::GetSoundDevice(IDirectSound** device) {
  *device = soundDevice;
  if (soundDevice == nullptr) return RESULT_FAIL;
  soundDevice->AddRef();
  return RESULT_OK;
}

std::uint16_t ScriptedMachine::Register(std::uint32_t number) const {
  auto found = registers.find(number);
  return found == registers.end() ? 0 : found->second;
}

void ScriptedMachine::Poke(std::uint16_t address, const std::vector<std::uint8_t>& bytes) {
  for (std::uint8_t byte : bytes) memory[address++] = byte;
}

void ScriptedMachine::PushWord(std::uint16_t value) {
  const auto sp = static_cast<std::uint16_t>(Register(REG_SP) - 2);
  registers[REG_SP] = sp;
  memory[sp] = static_cast<std::uint8_t>(value);
  memory[static_cast<std::uint16_t>(sp + 1)] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace reelbox::test

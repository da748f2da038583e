#include "loader_scene.h"

#include "contract/host_interfaces.h"

namespace reelbox::test {

void PutRomLoader(ScriptedMachine& machine) {
  // LD B,0x9C; CALL LD-EDGE-2; JR NC; LD A,0xC6; CP B; JR NC; INC H; JR NZ
  machine.Poke(0x0580, {0x06, 0x9C, 0xCD, 0xE3, 0x05, 0x30, 0xE4, 0x3E, 0xC6, 0xB8, 0x30, 0xE8, 0x24, 0x20, 0xF1});
  // CALL LD-EDGE-2; RET NC; LD A,0xCB; CP B; RL L; LD B,0xB0; JP NC,LD-8-BITS
  machine.Poke(0x05CA, {0xCD, 0xE3, 0x05, 0xD0, 0x3E, 0xCB, 0xB8, 0xCB, 0x15, 0x06, 0xB0, 0xD2, 0xCA, 0x05});
  // LD-EDGE-2, LD-EDGE-1 with its delay and sampling loop
  machine.Poke(0x05E3, {0xCD, 0xE7, 0x05, 0xD0, 0x3E, 0x16, 0x3D, 0x20, 0xFD, 0xA7, 0x04, 0xC8,
                        0x3E, 0x7F, 0xDB, 0xFE, 0x1F, 0xD0, 0xA9, 0xE6, 0x20, 0x28, 0xF3});
}

void PutLoader(ScriptedMachine& machine, const AssembledLoader& loader) { machine.Poke(LOADER_ORIGIN, loader.code); }

std::uint16_t LoaderAfterIn(const AssembledLoader& loader) {
  return static_cast<std::uint16_t>(loader.Label("ld_sample") + 6);  // INC B; RET Z; LD A,0x7F; IN A,(0xFE)
}

std::vector<std::uint16_t> StackInCall(const AssembledLoader& loader, std::uint16_t call) {
  const std::uint16_t afterCall = AfterCall(loader, call);
  const std::size_t operand = afterCall - 2 - LOADER_ORIGIN;
  const auto target = static_cast<std::uint16_t>(loader.code[operand] | loader.code[operand + 1] << 8);
  std::vector<std::uint16_t> stack{AfterCall(loader, loader.Label("start")), afterCall};
  if (loader.code[target - LOADER_ORIGIN] == 0xCD) stack.push_back(AfterCall(loader, target));
  return stack;
}

void EnterEdgeRoutine(ScriptedMachine& machine, std::uint16_t afterIn, const std::vector<std::uint16_t>& returns) {
  machine.registers[REG_SP] = STACK_TOP;
  for (std::uint16_t address : returns) machine.PushWord(address);
  machine.registers[REG_PC] = afterIn;
}

}  // namespace reelbox::test

// libz80ex with nothing around it, the yardstick for the reference host's own
// speed: one flat 64K array behind the memory callbacks (the ROM below 0x4000
// ignores writes), port reads that answer "no key" with an EAR level taken
// from a list of edge times, and the frame interrupt at each frame's start.
#pragma once

#include <z80ex/z80ex.h>

#include <array>
#include <cstdint>
#include <vector>

namespace reelbox::host {

class BareZ80 {
 public:
  explicit BareZ80(const std::uint8_t* rom);
  ~BareZ80();
  BareZ80(const BareZ80&) = delete;
  BareZ80& operator=(const BareZ80&) = delete;

  // Runs whole frames of frameTStates, the interrupt raised for the first
  // interruptTStates of each, as the reference host does.
  void RunFrames(std::uint32_t count, std::uint32_t frameTStates, std::uint32_t interruptTStates);
  // Runs tstates with interrupts off, the EAR input following edges (T-states
  // from now, ascending).
  void RunWithSignal(std::uint64_t tstates, const std::vector<std::uint64_t>& edges);

  // Places code at address and sets PC and SP; the code runs with interrupts
  // left as they are.
  void Enter(std::uint16_t address, const std::vector<std::uint8_t>& code, std::uint16_t stack);

 private:
  static Z80EX_BYTE ReadMemory(Z80EX_CONTEXT* cpu, Z80EX_WORD address, int m1, void* self);
  static void WriteMemory(Z80EX_CONTEXT* cpu, Z80EX_WORD address, Z80EX_BYTE value, void* self);
  static Z80EX_BYTE ReadPort(Z80EX_CONTEXT* cpu, Z80EX_WORD port, void* self);
  static void WritePort(Z80EX_CONTEXT* cpu, Z80EX_WORD port, Z80EX_BYTE value, void* self);
  static Z80EX_BYTE InterruptVector(Z80EX_CONTEXT* cpu, void* self);

  Z80EX_CONTEXT* cpu_ = nullptr;
  std::array<std::uint8_t, 65536> memory_{};
  std::int64_t clock_ = 0;  // T-states since the start of the current run
  const std::vector<std::uint64_t>* edges_ = nullptr;
  std::size_t nextEdge_ = 0;
  std::uint8_t ear_ = 0;
};

// The edges a TAP file's blocks make at the ROM's timings, each block after a
// second of silence; empty when the file is unreadable.
std::vector<std::uint64_t> RomTimedEdges(const std::vector<std::uint8_t>& tap);

}  // namespace reelbox::host

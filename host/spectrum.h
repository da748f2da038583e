// A small 48K (or 16K) ZX Spectrum on libz80ex: memory, the ULA port, the
// keyboard, the border and a frame of 69888 T-states with the interrupt held
// for the first 32 of them. Memory contention is not emulated: every access
// takes the Z80's own time.
#pragma once

#include <z80ex/z80ex.h>

#include <array>
#include <cstdint>
#include <vector>

#include "host/keyboard.h"

namespace reelbox::host {

constexpr std::uint32_t FRAME_TSTATES = 69888;
constexpr std::uint32_t INTERRUPT_TSTATES = 32;
constexpr std::uint32_t LINE_TSTATES = 224;
constexpr std::uint32_t FRAME_LINES = 312;
constexpr std::size_t ROM_BYTES = 16384;
constexpr std::uint16_t SCREEN_START = 0x4000;
constexpr std::size_t SCREEN_BYTES = 6912;

enum class SpectrumModel { Spectrum16K, Spectrum48K };

// What the machine's owner is told while the CPU runs.
class SpectrumListener {
 public:
  // A read of an even port (the ULA), with the value about to reach the CPU.
  virtual void OnUlaRead(std::uint16_t port, std::uint8_t* value) = 0;
  // The CPU is about to execute the instruction at a trapped address.
  virtual void OnTrap(std::uint16_t address) = 0;

 protected:
  ~SpectrumListener() = default;
};

class Spectrum {
 public:
  Spectrum(SpectrumModel model, const std::uint8_t (&rom)[ROM_BYTES], SpectrumListener* listener);
  ~Spectrum();
  Spectrum(const Spectrum&) = delete;
  Spectrum& operator=(const Spectrum&) = delete;

  // Power-on: RAM cleared, CPU reset, clock at the start of a frame.
  void Reset();
  // Runs the CPU to the end of the frame; the clock then reads FRAME_TSTATES
  // until FinishFrame.
  void RunFrame();
  // Starts the next frame; T-states that the last instruction ran past the
  // frame's end count in the new frame.
  void FinishFrame();

  // T-states since the frame began, exact to the T-state inside an instruction
  // when asked from a port access.
  std::uint32_t FrameClock() const;
  void SetFrameClock(std::uint32_t tstates);
  std::uint64_t FramesRun() const { return frames_; }

  std::uint8_t Peek(std::uint16_t address) const { return memory_[address]; }
  // Writes to RAM; the ROM (and the absent RAM of a 16K machine) ignores it.
  void Poke(std::uint16_t address, std::uint8_t value);
  const std::uint8_t* Memory() const { return memory_.data(); }

  std::uint16_t Register(Z80_REG_T reg) const;
  void SetRegister(Z80_REG_T reg, std::uint16_t value);
  // Removes the top word of the stack.
  std::uint16_t PopWord();

  void SetTrap(std::uint16_t address, bool on);

  // A write to the ULA port: border in bits 0-2, MIC in bit 3, EAR in bit 4.
  void WriteUla(std::uint8_t value);
  std::uint8_t Border() const { return border_; }
  // Border colour at the start of each line of the last finished frame.
  const std::array<std::uint8_t, FRAME_LINES>& BorderLines() const { return borderLines_; }

  Keyboard& Keys() { return keyboard_; }
  SpectrumModel Model() const { return model_; }

 private:
  struct BorderChange {
    std::uint32_t tstate;
    std::uint8_t colour;
  };

  static Z80EX_BYTE ReadMemoryThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD address, int m1, void* self);
  static void WriteMemoryThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD address, Z80EX_BYTE value, void* self);
  static Z80EX_BYTE ReadPortThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD port, void* self);
  static void WritePortThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD port, Z80EX_BYTE value, void* self);
  static Z80EX_BYTE InterruptVectorThunk(Z80EX_CONTEXT* cpu, void* self);

  std::uint8_t ReadPort(std::uint16_t port);
  bool TryInterrupt();
  bool FireTrap();
  void BuildBorderLines();

  SpectrumModel model_;
  SpectrumListener* listener_;
  Z80EX_CONTEXT* cpu_ = nullptr;
  std::array<std::uint8_t, 65536> memory_{};
  std::uint32_t writableEnd_;  // first address past the RAM
  std::array<std::uint8_t, ROM_BYTES> rom_{};
  // T-states of the frame at the start of the current step; may run past the
  // frame length by the last instruction.
  std::int64_t clock_ = 0;
  bool inStep_ = false;
  bool atFrameEnd_ = false;
  std::uint64_t frames_ = 0;
  std::vector<std::uint8_t> traps_;  // one flag per address
  std::uint32_t trapCount_ = 0;
  std::uint8_t ulaOut_ = 0;
  std::uint8_t border_ = 7;
  std::uint8_t frameStartBorder_ = 7;
  std::vector<BorderChange> borderChanges_;
  std::array<std::uint8_t, FRAME_LINES> borderLines_{};
  Keyboard keyboard_;
};

}  // namespace reelbox::host

// A ZX Spectrum on libz80ex, any of the models of the machine table: ROM and
// RAM pages behind the paging ports, the ULA port, the keyboard, the border,
// the AY register file, the +3's idle disk controller and a frame with the
// interrupt held for the model's time at its start. Accesses to contended
// memory and ports wait for the display as on the real machine, and
// unattached ports read the floating bus (host/contention.h).
#pragma once

#include <z80ex/z80ex.h>

#include <array>
#include <cstdint>
#include <vector>

#include "host/ay_chip.h"
#include "host/contention.h"
#include "host/disk_controller.h"
#include "host/keyboard.h"
#include "host/machine_table.h"

namespace reelbox::host {

// The 48K's frame; other models answer FrameLength.
constexpr std::uint32_t FRAME_TSTATES = 69888;
constexpr std::uint32_t FRAME_LINES = 312;  // the most lines of any model
constexpr std::size_t ROM_BYTES = 16384;
constexpr std::size_t PAGE_BYTES = 16384;
constexpr std::uint16_t SCREEN_START = 0x4000;
constexpr std::size_t SCREEN_BYTES = 6912;

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

// The paging latches, as snapshots hold them.
struct PagingState {
  std::uint8_t port7ffd = 0;
  std::uint8_t port1ffd = 0;
};

class Spectrum {
 public:
  // roms holds desc.RomCount() pages of ROM_BYTES each.
  Spectrum(const MachineDescription& desc, const std::uint8_t* roms, SpectrumListener* listener);
  ~Spectrum();
  Spectrum(const Spectrum&) = delete;
  Spectrum& operator=(const Spectrum&) = delete;

  // Power-on: RAM cleared, paging and devices reset, CPU reset, clock at the
  // start of a frame.
  void Reset();
  // Runs the CPU to the end of the frame; the clock then reads FrameLength()
  // until FinishFrame.
  void RunFrame();
  // Starts the next frame; T-states that the last instruction ran past the
  // frame's end count in the new frame.
  void FinishFrame();

  // T-states since the frame began, exact to the T-state inside an instruction
  // when asked from a port access.
  // Inline: the plug-in asks at every read of the ULA port.
  std::uint32_t FrameClock() const {
    if (atFrameEnd_) return frameLength_;
    return static_cast<std::uint32_t>(inStep_ ? clock_ + z80ex_op_tstate(cpu_) : clock_);
  }
  void SetFrameClock(std::uint32_t tstates);
  // Runs every step through the loop that tests the interrupt, the traps and
  // the contention window at each, rather than in stretches between those
  // events: slower, and the yardstick the stretches are checked against.
  void SetStepwise(bool on) { stepwise_ = on; }
  std::uint32_t FrameLength() const { return frameLength_; }
  std::uint64_t FramesRun() const { return frames_; }

  std::uint8_t Peek(std::uint16_t address) const { return read_[address >> 14][address & 0x3FFF]; }
  // Writes to RAM; the ROM (and the absent RAM of a 16K machine) ignores it.
  void Poke(std::uint16_t address, std::uint8_t value);
  // The 64K the CPU sees now, copied out (valid until the next call).
  const std::uint8_t* Memory() const;
  // The screen the ULA shows: RAM page 5, or 7 when 0x7FFD bit 3 says so.
  const std::uint8_t* Screen() const;
  // A RAM page by number; null when the machine does not fit it.
  std::uint8_t* RamPage(std::uint32_t page);
  const std::uint8_t* RamPage(std::uint32_t page) const;

  std::uint16_t Register(Z80_REG_T reg) const;
  void SetRegister(Z80_REG_T reg, std::uint16_t value);
  Z80EX_CONTEXT* Cpu() { return cpu_; }
  const Z80EX_CONTEXT* Cpu() const { return cpu_; }
  // Removes the top word of the stack.
  std::uint16_t PopWord();

  void SetTrap(std::uint16_t address, bool on);

  // A write to the ULA port: border in bits 0-2, MIC in bit 3, EAR in bit 4.
  void WriteUla(std::uint8_t value);
  std::uint8_t UlaOut() const { return ulaOut_; }
  std::uint8_t Border() const { return border_; }
  // Border colour at the start of each line of the last finished frame.
  const std::array<std::uint8_t, FRAME_LINES>& BorderLines() const { return borderLines_; }

  // The paging latches; SetPaging maps memory as they say, lock or not.
  PagingState Paging() const { return paging_; }
  void SetPaging(PagingState state);
  // The ROM page mapped at 0x0000, or -1 when RAM is there.
  int RomPage() const { return romPage_; }

  Keyboard& Keys() { return keyboard_; }
  AyChip& Ay() { return ay_; }
  const AyChip& Ay() const { return ay_; }
  DiskController& Disk() { return disk_; }
  const MachineDescription& Description() const { return desc_; }

 private:
  struct BorderChange {
    std::uint32_t tstate;
    std::uint8_t colour;
  };

  static Z80EX_BYTE ReadMemoryThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD address, int m1, void* self);
  // Reads while the four slots are one run of 64K in store_, which run points to.
  static Z80EX_BYTE ReadRunThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD address, int m1, void* run);
  // The same run, for the steps that the contention clock follows.
  static Z80EX_BYTE ReadFollowedRunThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD address, int m1, void* self);
  static void WriteMemoryThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD address, Z80EX_BYTE value, void* self);
  static Z80EX_BYTE ReadPortThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD port, void* self);
  static void WritePortThunk(Z80EX_CONTEXT* cpu, Z80EX_WORD port, Z80EX_BYTE value, void* self);
  static Z80EX_BYTE InterruptVectorThunk(Z80EX_CONTEXT* cpu, void* self);

  std::uint8_t ReadPort(std::uint16_t port);
  void WritePort(std::uint16_t port, std::uint8_t value);
  void MapPages();
  void MapSlots();
  void MapSlot(int slot, std::uint8_t* page, bool writable);
  void MapRam(int slot, std::uint32_t page);
  void SelectReader(bool contended);
  void BeginContendedStep();
  void Step();
  void RunStretches(std::int64_t interruptEnd, std::int64_t frameEnd);
  template <bool FOLLOWED, bool TRAPS>
  bool RunSteps();
  bool AtTrap() const;
  [[gnu::noinline]] std::uint8_t ReadContended(std::uint16_t address, bool m1);
  [[gnu::noinline]] void WriteContended(std::uint16_t address, std::uint8_t value);
  void ContendMemory(std::uint16_t address, bool m1);
  void ContendPort(std::uint16_t port);
  bool TryInterrupt();
  bool FireTrap();
  void BuildBorderLines();

  const MachineDescription& desc_;
  SpectrumListener* listener_;
  Z80EX_CONTEXT* cpu_ = nullptr;
  Contention contention_;
  std::uint32_t frameLength_;
  std::size_t ramStart_;
  // The ROMs, then eight (or sixteen) RAM pages; 16K and 48K use 5, 2, 0.
  std::vector<std::uint8_t> store_;
  std::array<std::uint8_t, PAGE_BYTES> floating_{};  // where nothing is fitted: reads 0xFF
  std::array<std::uint8_t, PAGE_BYTES> discard_{};   // writes to ROM land here
  std::array<const std::uint8_t*, 4> read_{};
  std::array<std::uint8_t*, 4> write_{};
  mutable std::array<std::uint8_t, 65536> flat_{};
  PagingState paging_;
  int romPage_ = 0;
  // T-states of the frame at the start of the current step; may run past the
  // frame length by the last instruction.
  std::int64_t clock_ = 0;
  bool inStep_ = false;
  std::int64_t stretchEnd_ = 0;  // where the running stretch of steps ends
  bool stepwise_ = false;
  bool oneRun_ = false;          // the four slots are one run of 64K
  bool contendedReads_ = false;  // reads go through the contention clock
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
  AyChip ay_;
  DiskController disk_;
};

}  // namespace reelbox::host

#include "host/zx_machine.h"

#include <algorithm>
#include <cstring>

namespace reelbox::host {
namespace {

constexpr std::uint8_t LOCK_7FFD = 0x20;

// The +2A/+3's all-RAM configurations (0x1FFD bit 0 set), by bits 1-2.
constexpr std::uint8_t SPECIAL_PAGES[4][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {4, 5, 6, 3}, {4, 7, 6, 3}};

// RAM pages lie in the order 5, 2, 0, 1, 3, 4, 6, 7, 8, ... right after the
// last ROM (48 BASIC's on every model that pages), so that the usual map of
// 48 BASIC is one run of 64K.
std::size_t RamPosition(std::uint32_t page) {
  constexpr std::uint8_t POSITIONS[8] = {2, 3, 1, 4, 5, 0, 6, 7};
  return page < 8 ? POSITIONS[page] : page;
}

bool Is7ffd(const MachineDescription& desc, std::uint16_t port) {
  if (desc.paging == Paging::Port7FFD) return (port & 0x8002) == 0;
  // The Scorpion decodes the low byte in full: its ROM writes the border
  // through ports 0x1F00 and 0x7F00, which must not page.
  if (desc.paging == Paging::Scorpion) return (port & 0xC0FF) == 0x40FD;
  return desc.paging != Paging::None && (port & 0xC002) == 0x4000;
}

bool Is1ffd(const MachineDescription& desc, std::uint16_t port) {
  if (desc.paging == Paging::Scorpion) return (port & 0xF0FF) == 0x10FD;
  return (desc.paging == Paging::Plus3 || desc.paging == Paging::Scorpion) && (port & 0xF002) == 0x1000;
}

}  // namespace

Spectrum::Spectrum(const MachineDescription& desc, const std::uint8_t* roms, SpectrumListener* listener)
    : desc_(desc),
      listener_(listener),
      cpu_(z80ex_create(&ReadMemoryThunk, this, &WriteMemoryThunk, this, &ReadPortThunk, this, &WritePortThunk, this,
                        &InterruptVectorThunk, this)),
      contention_(desc, cpu_),
      frameLength_(desc.FrameTStates()),
      ramStart_(desc.RomCount() * ROM_BYTES),
      store_(ramStart_ + std::max<std::uint32_t>(desc.ramPages, 8) * PAGE_BYTES),
      traps_(65536, 0) {
  std::copy(roms, roms + ramStart_, store_.begin());
  floating_.fill(0xFF);
  borderChanges_.reserve(64);
  Reset();
}

Spectrum::~Spectrum() {
  if (cpu_ != nullptr) z80ex_destroy(cpu_);
}

void Spectrum::Reset() {
  std::fill(store_.begin() + static_cast<std::ptrdiff_t>(ramStart_), store_.end(), 0);
  paging_ = PagingState{};
  MapPages();
  ay_.Reset();
  disk_.Reset();
  z80ex_reset(cpu_);
  clock_ = 0;
  atFrameEnd_ = false;
  ulaOut_ = 0;
  border_ = frameStartBorder_ = 7;
  borderChanges_.clear();
  borderLines_.fill(border_);
}

void Spectrum::MapSlot(int slot, std::uint8_t* page, bool writable) {
  read_[slot] = page != nullptr ? page : floating_.data();
  write_[slot] = page != nullptr && writable ? page : discard_.data();
}

void Spectrum::MapRam(int slot, std::uint32_t page) {
  MapSlot(slot, RamPage(page), true);
  contention_.SetSlot(slot, RamPage(page) != nullptr && contention_.PageContended(page));
}

// One run of 64K is read straight through; anything else slot by slot.
void Spectrum::MapPages() {
  MapSlots();
  const auto at = [this](int slot) { return reinterpret_cast<std::uintptr_t>(read_[slot]); };
  oneRun_ = at(1) == at(0) + PAGE_BYTES && at(2) == at(0) + 2 * PAGE_BYTES && at(3) == at(0) + 3 * PAGE_BYTES;
  SelectReader(contendedReads_);
}

// Reads that may wait for the display go through the machine; the others,
// while the map is one run, take the run itself as the callback's data: one
// load a read, as with flat memory.
void Spectrum::SelectReader(bool contended) {
  contendedReads_ = contended;
  if (!oneRun_) {
    z80ex_set_memread_callback(cpu_, &ReadMemoryThunk, this);
  } else if (contended) {
    z80ex_set_memread_callback(cpu_, &ReadFollowedRunThunk, this);
  } else {
    z80ex_set_memread_callback(cpu_, &ReadRunThunk, const_cast<std::uint8_t*>(read_[0]));
  }
}

// Starts a step of the contended machines: the display's clock follows the
// steps that can reach a screen fetch, through the slower reader.
void Spectrum::BeginContendedStep() {
  contention_.BeginStep(clock_);
  if (contention_.Active() != contendedReads_) SelectReader(contention_.Active());
}

void Spectrum::MapSlots() {
  const auto rom = [this](std::uint32_t page) {
    romPage_ = static_cast<int>(std::min<std::uint32_t>(page, desc_.RomCount() - 1));
    return store_.data() + romPage_ * ROM_BYTES;
  };
  const std::uint8_t p7 = paging_.port7ffd;
  const std::uint8_t p1 = paging_.port1ffd;
  std::uint32_t top = p7 & 7;
  std::uint32_t romNumber = (p7 >> 4) & 1;
  if (desc_.paging == Paging::None) top = 0;
  if (desc_.paging == Paging::Plus3) {
    if (p1 & 1) {
      const std::uint8_t* pages = SPECIAL_PAGES[(p1 >> 1) & 3];
      for (int slot = 0; slot < 4; ++slot) MapRam(slot, pages[slot]);
      romPage_ = -1;
      return;
    }
    romNumber |= (p1 >> 1) & 2;
  }
  if (desc_.paging == Paging::Scorpion) {
    if (p1 & 2) romNumber = 2;
    top |= (p1 & 0x10) >> 1;
  }
  if (desc_.paging == Paging::Scorpion && (p1 & 1)) {
    MapRam(0, 0);
    romPage_ = -1;
  } else {
    read_[0] = rom(romNumber);
    write_[0] = discard_.data();
    contention_.SetSlot(0, false);
  }
  MapRam(1, 5);
  MapRam(2, 2);
  MapRam(3, top);
}

void Spectrum::SetPaging(PagingState state) {
  paging_ = state;
  if (desc_.diskController) disk_.SetMotor((state.port1ffd & 0x08) != 0);
  MapPages();
}

std::uint8_t* Spectrum::RamPage(std::uint32_t page) {
  return desc_.HasRamPage(page) ? store_.data() + ramStart_ + RamPosition(page) * PAGE_BYTES : nullptr;
}

const std::uint8_t* Spectrum::RamPage(std::uint32_t page) const {
  return desc_.HasRamPage(page) ? store_.data() + ramStart_ + RamPosition(page) * PAGE_BYTES : nullptr;
}

const std::uint8_t* Spectrum::Memory() const {
  for (int slot = 0; slot < 4; ++slot) std::memcpy(flat_.data() + slot * PAGE_BYTES, read_[slot], PAGE_BYTES);
  return flat_.data();
}

const std::uint8_t* Spectrum::Screen() const {
  const bool shadow = desc_.paging != Paging::None && (paging_.port7ffd & 0x08) != 0;
  return RamPage(shadow ? 7 : 5);
}

void Spectrum::RunFrame() {
  frameStartBorder_ = border_;
  borderChanges_.clear();
  contention_.SetRefreshRegister(static_cast<std::uint8_t>(z80ex_get_reg(cpu_, regI)));
  const std::int64_t interruptEnd = desc_.interruptTStates;
  const std::int64_t frameEnd = frameLength_;
  // The clock counts as "in a step" throughout except while a trap runs
  // between instructions.
  inStep_ = true;
  while (clock_ < frameEnd) {
    if (clock_ < interruptEnd && TryInterrupt()) continue;
    if (trapCount_ != 0 && z80ex_last_op_type(cpu_) == 0 && FireTrap()) continue;
    Step();
    if (!stepwise_) RunStretches(interruptEnd, frameEnd);
  }
  inStep_ = false;
  atFrameEnd_ = true;
  BuildBorderLines();
}

void Spectrum::Step() {
  if (!contention_.Enabled()) {
    clock_ += z80ex_step(cpu_);
    return;
  }
  BeginContendedStep();
  const int length = z80ex_step(cpu_);
  clock_ += length + contention_.EndStep(clock_, length);
}

// Steps until the clock reaches stretchEnd_, which SetFrameClock and a new
// trap clear, following each step's bus cycles or not; with traps, stops
// before an instruction at a trapped address and returns false.
template <bool FOLLOWED, bool TRAPS>
bool Spectrum::RunSteps() {
  while (clock_ < stretchEnd_) {
    if (TRAPS && AtTrap()) return false;
    if (!FOLLOWED) {
      clock_ += z80ex_step(cpu_);
      continue;
    }
    const int length = z80ex_step(cpu_);
    clock_ += length + contention_.EndStep(clock_, length);
  }
  return true;
}

// Once the interrupt can no longer be raised, the only events of a frame are
// the few hundred points where the contention window changes and the trapped
// addresses: the steps between them run in loops that test nothing else.
// Returns at the frame's end, before a trapped address, or when the clock was
// set back into the interrupt.
void Spectrum::RunStretches(std::int64_t interruptEnd, std::int64_t frameEnd) {
  while (clock_ < frameEnd && clock_ >= interruptEnd) {
    stretchEnd_ = frameEnd;
    if (contention_.Enabled()) {
      BeginContendedStep();
      stretchEnd_ = std::min(contention_.WindowEnd(), frameEnd);
    }
    const bool followed = contention_.Active();
    bool reachedEnd = false;
    if (trapCount_ != 0) {
      reachedEnd = followed ? RunSteps<true, true>() : RunSteps<false, true>();
    } else {
      reachedEnd = followed ? RunSteps<true, false>() : RunSteps<false, false>();
    }
    if (!reachedEnd) return;
  }
}

bool Spectrum::AtTrap() const { return z80ex_last_op_type(cpu_) == 0 && traps_[z80ex_get_reg(cpu_, regPC)] != 0; }

void Spectrum::FinishFrame() {
  clock_ -= frameLength_;
  atFrameEnd_ = false;
  ++frames_;
}

// The ULA holds INT low for the model's first T-states of the frame.
bool Spectrum::TryInterrupt() {
  if (!z80ex_int_possible(cpu_)) return false;
  if (contention_.Enabled()) BeginContendedStep();
  const int tstates = z80ex_int(cpu_);
  clock_ += tstates;
  return tstates > 0;
}

// True when the trap moved PC elsewhere, so the instruction at the trapped
// address is not executed.
bool Spectrum::FireTrap() {
  const std::uint16_t pc = z80ex_get_reg(cpu_, regPC);
  if (traps_[pc] == 0) return false;
  inStep_ = false;
  listener_->OnTrap(pc);
  inStep_ = true;
  return z80ex_get_reg(cpu_, regPC) != pc;
}

void Spectrum::SetFrameClock(std::uint32_t tstates) {
  stretchEnd_ = INT64_MIN;  // the next step decides its window afresh
  clock_ = inStep_ ? static_cast<std::int64_t>(tstates) - z80ex_op_tstate(cpu_) : tstates;
}

void Spectrum::Poke(std::uint16_t address, std::uint8_t value) { write_[address >> 14][address & 0x3FFF] = value; }

std::uint16_t Spectrum::Register(Z80_REG_T reg) const { return z80ex_get_reg(cpu_, reg); }

void Spectrum::SetRegister(Z80_REG_T reg, std::uint16_t value) { z80ex_set_reg(cpu_, reg, value); }

std::uint16_t Spectrum::PopWord() {
  const std::uint16_t sp = Register(regSP);
  const std::uint16_t value = static_cast<std::uint16_t>(Peek(sp) | (Peek(static_cast<std::uint16_t>(sp + 1)) << 8));
  SetRegister(regSP, static_cast<std::uint16_t>(sp + 2));
  return value;
}

void Spectrum::SetTrap(std::uint16_t address, bool on) {
  const std::uint8_t flag = on ? 1 : 0;
  if (traps_[address] == flag) return;
  traps_[address] = flag;
  trapCount_ = on ? trapCount_ + 1 : trapCount_ - 1;
  if (on) stretchEnd_ = INT64_MIN;  // the steps run on in a loop that tests for traps
}

void Spectrum::WriteUla(std::uint8_t value) {
  ulaOut_ = value;
  const std::uint8_t colour = value & 7;
  if (colour == border_) return;
  border_ = colour;
  borderChanges_.push_back(BorderChange{FrameClock(), colour});
}

void Spectrum::BuildBorderLines() {
  std::uint8_t colour = frameStartBorder_;
  std::size_t next = 0;
  for (std::uint32_t line = 0; line < FRAME_LINES; ++line) {
    const std::uint32_t lineStart = line * desc_.lineTStates;
    while (next < borderChanges_.size() && borderChanges_[next].tstate <= lineStart) {
      colour = borderChanges_[next++].colour;
    }
    borderLines_[line] = colour;
  }
}

// Bits 5 and 7 of the ULA port read high; bit 6 is the EAR input, which with
// no signal follows the EAR output (bit 4 of the last write), as on issue 3
// boards. Odd ports answer with the AY and the disk controller where fitted,
// the others with the floating bus.
std::uint8_t Spectrum::ReadPort(std::uint16_t port) {
  if ((port & 1) == 0) {
    std::uint8_t value = static_cast<std::uint8_t>(0xA0 | keyboard_.Read(static_cast<std::uint8_t>(port >> 8)));
    if (ulaOut_ & 0x10) value |= 0x40;
    listener_->OnUlaRead(port, &value);
    return value;
  }
  if (desc_.ay && (port & 0xC002) == 0xC000) return ay_.Read();
  if (desc_.diskController && (port & 0xF002) == 0x2000) return disk_.ReadStatus();
  if (desc_.diskController && (port & 0xF002) == 0x3000) return disk_.ReadData();
  // The data bus is sampled in the cycle's last T-state, two after the clock.
  if (contention_.FloatsOn(port, (paging_.port7ffd & LOCK_7FFD) != 0)) {
    return contention_.FloatingBus(FrameClock() + 2, Screen());
  }
  return 0xFF;
}

// The paging latches stay as they are once 0x7FFD bit 5 has locked them.
void Spectrum::WritePort(std::uint16_t port, std::uint8_t value) {
  if ((port & 1) == 0) WriteUla(value);
  const bool locked = (paging_.port7ffd & LOCK_7FFD) != 0;
  if (Is7ffd(desc_, port) && !locked) SetPaging(PagingState{value, paging_.port1ffd});
  if (Is1ffd(desc_, port) && !locked) SetPaging(PagingState{paging_.port7ffd, value});
  if (desc_.ay && (port & 0xC002) == 0xC000) ay_.Select(value);
  if (desc_.ay && (port & 0xC002) == 0x8000) ay_.Write(value);
  if (desc_.diskController && (port & 0xF002) == 0x3000) disk_.WriteData(value);
}

void Spectrum::ContendMemory(std::uint16_t address, bool m1) {
  const std::uint32_t waits = contention_.Memory(clock_, address, m1);
  if (waits != 0) z80ex_w_states(cpu_, waits);
}

void Spectrum::ContendPort(std::uint16_t port) {
  const std::uint32_t waits = contention_.Port(clock_, port);
  if (waits != 0) z80ex_w_states(cpu_, waits);
}

// The reads that cannot wait return without saving a register; the others
// leave through a tail call.
Z80EX_BYTE Spectrum::ReadMemoryThunk(Z80EX_CONTEXT*, Z80EX_WORD address, int m1, void* self) {
  auto* spectrum = static_cast<Spectrum*>(self);
  if (spectrum->contention_.MayWait(address, m1 != 0)) return spectrum->ReadContended(address, m1 != 0);
  return spectrum->Peek(address);
}

Z80EX_BYTE Spectrum::ReadFollowedRunThunk(Z80EX_CONTEXT*, Z80EX_WORD address, int m1, void* self) {
  auto* spectrum = static_cast<Spectrum*>(self);
  if (spectrum->contention_.MayWait(address, m1 != 0)) return spectrum->ReadContended(address, m1 != 0);
  return spectrum->read_[0][address];
}

std::uint8_t Spectrum::ReadContended(std::uint16_t address, bool m1) {
  ContendMemory(address, m1);
  return Peek(address);
}

Z80EX_BYTE Spectrum::ReadRunThunk(Z80EX_CONTEXT*, Z80EX_WORD address, int, void* run) {
  return static_cast<const std::uint8_t*>(run)[address];
}

void Spectrum::WriteMemoryThunk(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE value, void* self) {
  auto* spectrum = static_cast<Spectrum*>(self);
  if (spectrum->contention_.MayWait(address, false)) return spectrum->WriteContended(address, value);
  spectrum->Poke(address, value);
}

void Spectrum::WriteContended(std::uint16_t address, std::uint8_t value) {
  ContendMemory(address, false);
  Poke(address, value);
}

Z80EX_BYTE Spectrum::ReadPortThunk(Z80EX_CONTEXT*, Z80EX_WORD port, void* self) {
  auto* spectrum = static_cast<Spectrum*>(self);
  if (spectrum->contention_.Active()) spectrum->ContendPort(port);
  return spectrum->ReadPort(port);
}

void Spectrum::WritePortThunk(Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE value, void* self) {
  auto* spectrum = static_cast<Spectrum*>(self);
  if (spectrum->contention_.Active()) spectrum->ContendPort(port);
  spectrum->WritePort(port, value);
}

// Nothing drives the data bus during the acknowledge: IM 2 reads 0xFF.
Z80EX_BYTE Spectrum::InterruptVectorThunk(Z80EX_CONTEXT*, void*) { return 0xFF; }

}  // namespace reelbox::host

#include "host/spectrum.h"

#include <algorithm>
#include <cstring>

namespace reelbox::host {

Spectrum::Spectrum(SpectrumModel model, const std::uint8_t (&rom)[ROM_BYTES], SpectrumListener* listener)
    : model_(model),
      listener_(listener),
      writableEnd_(model == SpectrumModel::Spectrum16K ? 0x8000u : 0x10000u),
      traps_(65536, 0) {
  std::memcpy(rom_.data(), rom, ROM_BYTES);
  cpu_ = z80ex_create(&ReadMemoryThunk, this, &WriteMemoryThunk, this, &ReadPortThunk, this, &WritePortThunk, this,
                      &InterruptVectorThunk, this);
  borderChanges_.reserve(64);
  Reset();
}

Spectrum::~Spectrum() {
  if (cpu_ != nullptr) z80ex_destroy(cpu_);
}

void Spectrum::Reset() {
  std::memcpy(memory_.data(), rom_.data(), ROM_BYTES);
  std::fill(memory_.begin() + ROM_BYTES, memory_.begin() + writableEnd_, 0);
  std::fill(memory_.begin() + writableEnd_, memory_.end(), 0xFF);  // no RAM: the bus floats high
  z80ex_reset(cpu_);
  clock_ = 0;
  atFrameEnd_ = false;
  ulaOut_ = 0;
  border_ = frameStartBorder_ = 7;
  borderChanges_.clear();
  borderLines_.fill(border_);
}

void Spectrum::RunFrame() {
  frameStartBorder_ = border_;
  borderChanges_.clear();
  while (clock_ < FRAME_TSTATES) {
    if (clock_ < INTERRUPT_TSTATES && TryInterrupt()) continue;
    if (trapCount_ != 0 && z80ex_last_op_type(cpu_) == 0 && FireTrap()) continue;
    inStep_ = true;
    clock_ += z80ex_step(cpu_);
    inStep_ = false;
  }
  atFrameEnd_ = true;
  BuildBorderLines();
}

void Spectrum::FinishFrame() {
  clock_ -= FRAME_TSTATES;
  atFrameEnd_ = false;
  ++frames_;
}

// The ULA holds INT low for the first 32 T-states of the frame.
bool Spectrum::TryInterrupt() {
  if (!z80ex_int_possible(cpu_)) return false;
  inStep_ = true;
  const int tstates = z80ex_int(cpu_);
  inStep_ = false;
  clock_ += tstates;
  return tstates > 0;
}

// True when the trap moved PC elsewhere, so the instruction at the trapped
// address is not executed.
bool Spectrum::FireTrap() {
  const std::uint16_t pc = z80ex_get_reg(cpu_, regPC);
  if (traps_[pc] == 0) return false;
  listener_->OnTrap(pc);
  return z80ex_get_reg(cpu_, regPC) != pc;
}

std::uint32_t Spectrum::FrameClock() const {
  if (atFrameEnd_) return FRAME_TSTATES;
  const std::int64_t now = inStep_ ? clock_ + z80ex_op_tstate(cpu_) : clock_;
  return static_cast<std::uint32_t>(now);
}

void Spectrum::SetFrameClock(std::uint32_t tstates) {
  clock_ = inStep_ ? static_cast<std::int64_t>(tstates) - z80ex_op_tstate(cpu_) : tstates;
}

void Spectrum::Poke(std::uint16_t address, std::uint8_t value) {
  if (address >= ROM_BYTES && address < writableEnd_) memory_[address] = value;
}

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
    const std::uint32_t lineStart = line * LINE_TSTATES;
    while (next < borderChanges_.size() && borderChanges_[next].tstate <= lineStart) {
      colour = borderChanges_[next++].colour;
    }
    borderLines_[line] = colour;
  }
}

// Bits 5 and 7 read high; bit 6 is the EAR input, which with no signal follows
// the EAR output (bit 4 of the last write), as on issue 3 boards.
std::uint8_t Spectrum::ReadPort(std::uint16_t port) {
  if (port & 1) return 0xFF;
  std::uint8_t value = static_cast<std::uint8_t>(0xA0 | keyboard_.Read(static_cast<std::uint8_t>(port >> 8)));
  if (ulaOut_ & 0x10) value |= 0x40;
  listener_->OnUlaRead(port, &value);
  return value;
}

Z80EX_BYTE Spectrum::ReadMemoryThunk(Z80EX_CONTEXT*, Z80EX_WORD address, int, void* self) {
  return static_cast<Spectrum*>(self)->memory_[address];
}

void Spectrum::WriteMemoryThunk(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE value, void* self) {
  static_cast<Spectrum*>(self)->Poke(address, value);
}

Z80EX_BYTE Spectrum::ReadPortThunk(Z80EX_CONTEXT*, Z80EX_WORD port, void* self) {
  return static_cast<Spectrum*>(self)->ReadPort(port);
}

void Spectrum::WritePortThunk(Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE value, void* self) {
  if ((port & 1) == 0) static_cast<Spectrum*>(self)->WriteUla(value);
}

// Nothing drives the data bus during the acknowledge: IM 2 reads 0xFF.
Z80EX_BYTE Spectrum::InterruptVectorThunk(Z80EX_CONTEXT*, void*) { return 0xFF; }

}  // namespace reelbox::host

#include "bench/host/bare_z80.h"

#include <algorithm>
#include <cstring>

namespace reelbox::host {
namespace {

constexpr std::uint32_t PILOT_PULSE = 2168;
constexpr std::uint32_t HEADER_PILOT_PULSES = 8063;
constexpr std::uint32_t DATA_PILOT_PULSES = 3223;
constexpr std::uint32_t SYNC1_PULSE = 667;
constexpr std::uint32_t SYNC2_PULSE = 735;
constexpr std::uint32_t ZERO_PULSE = 855;
constexpr std::uint32_t ONE_PULSE = 1710;
constexpr std::uint32_t PAUSE_TSTATES = 3500000;

}  // namespace

BareZ80::BareZ80(const std::uint8_t* rom) {
  std::memcpy(memory_.data(), rom, 0x4000);
  cpu_ = z80ex_create(&ReadMemory, this, &WriteMemory, this, &ReadPort, this, &WritePort, this, &InterruptVector, this);
}

BareZ80::~BareZ80() { z80ex_destroy(cpu_); }

void BareZ80::RunFrames(std::uint32_t count, std::uint32_t frameTStates, std::uint32_t interruptTStates) {
  edges_ = nullptr;
  ear_ = 0;
  clock_ = 0;
  for (std::uint32_t frame = 0; frame < count; ++frame) {
    while (clock_ < frameTStates) {
      if (clock_ < interruptTStates && z80ex_int_possible(cpu_)) {
        const int tstates = z80ex_int(cpu_);
        clock_ += tstates;
        if (tstates > 0) continue;
      }
      clock_ += z80ex_step(cpu_);
    }
    clock_ -= frameTStates;
  }
}

void BareZ80::RunWithSignal(std::uint64_t tstates, const std::vector<std::uint64_t>& edges) {
  edges_ = &edges;
  nextEdge_ = 0;
  ear_ = 0;
  clock_ = 0;
  while (clock_ < static_cast<std::int64_t>(tstates)) clock_ += z80ex_step(cpu_);
  edges_ = nullptr;
}

void BareZ80::Enter(std::uint16_t address, const std::vector<std::uint8_t>& code, std::uint16_t stack) {
  std::copy(code.begin(), code.end(), memory_.begin() + address);
  z80ex_set_reg(cpu_, regPC, address);
  z80ex_set_reg(cpu_, regSP, stack);
}

Z80EX_BYTE BareZ80::ReadMemory(Z80EX_CONTEXT*, Z80EX_WORD address, int, void* self) {
  return static_cast<BareZ80*>(self)->memory_[address];
}

void BareZ80::WriteMemory(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE value, void* self) {
  if (address >= 0x4000) static_cast<BareZ80*>(self)->memory_[address] = value;
}

// Bits 0-4 high: no key; bit 6 the EAR level.
Z80EX_BYTE BareZ80::ReadPort(Z80EX_CONTEXT* cpu, Z80EX_WORD port, void* self) {
  auto* bare = static_cast<BareZ80*>(self);
  if ((port & 1) != 0) return 0xFF;
  if (bare->edges_ != nullptr) {
    const std::uint64_t now = static_cast<std::uint64_t>(bare->clock_ + z80ex_op_tstate(cpu));
    const std::vector<std::uint64_t>& edges = *bare->edges_;
    while (bare->nextEdge_ < edges.size() && edges[bare->nextEdge_] <= now) {
      bare->ear_ ^= 0x40;
      ++bare->nextEdge_;
    }
  }
  return static_cast<Z80EX_BYTE>(0xBF | bare->ear_);
}

void BareZ80::WritePort(Z80EX_CONTEXT*, Z80EX_WORD, Z80EX_BYTE, void*) {}

Z80EX_BYTE BareZ80::InterruptVector(Z80EX_CONTEXT*, void*) { return 0xFF; }

std::vector<std::uint64_t> RomTimedEdges(const std::vector<std::uint8_t>& tap) {
  std::vector<std::uint64_t> edges;
  std::uint64_t at = 0;
  const auto pulse = [&](std::uint32_t length, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) edges.push_back(at += length);
  };
  std::size_t offset = 0;
  while (offset + 2 < tap.size()) {
    const std::size_t length = tap[offset] | (tap[offset + 1] << 8);
    const std::size_t start = offset + 2;
    if (length == 0 || start + length > tap.size()) break;
    at += PAUSE_TSTATES;
    pulse(PILOT_PULSE, tap[start] < 0x80 ? HEADER_PILOT_PULSES : DATA_PILOT_PULSES);
    pulse(SYNC1_PULSE, 1);
    pulse(SYNC2_PULSE, 1);
    for (std::size_t i = start; i < start + length; ++i) {
      for (int bit = 7; bit >= 0; --bit) pulse((tap[i] >> bit) & 1 ? ONE_PULSE : ZERO_PULSE, 2);
    }
    offset = start + length;
  }
  return edges;
}

}  // namespace reelbox::host

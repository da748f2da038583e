#include "host/contention.h"

#include <algorithm>
#include <cstdint>

namespace reelbox::host {
namespace {

constexpr std::uint32_t SCREEN_LINES = 192;
constexpr std::uint32_t FETCH = 128;  // the part of a line the display fetches in

// One row per display chip, by the paging hardware that goes with it.
struct ContentionModel {
  Paging paging;
  std::int64_t firstContended;  // T-state of the first wait of the frame
  std::uint8_t pattern[8];      // wait states by T-state from there, every 8 T-states
  std::int64_t fetchStart;      // the first screen byte on the bus
  bool idleContended;           // one-T-state cycles without MREQ wait too
  bool portsContended;
  bool gateArray;  // the +2A/+3's: RAM pages 4-7 contended, its own floating bus
};

// The Scorpion's RAM does not wait for the display; its row is absent.
constexpr ContentionModel MODELS[] = {
    {Paging::None, 14335, {6, 5, 4, 3, 2, 1, 0, 0}, 14338, true, true, false},
    {Paging::Port7FFD, 14361, {6, 5, 4, 3, 2, 1, 0, 0}, 14364, true, true, false},
    {Paging::Plus3, 14365, {1, 0, 7, 6, 5, 4, 3, 2}, 14367, false, false, true},
};

// A screen line's byte x of bitmap or attributes, as offsets in the page.
std::uint16_t BitmapOffset(std::uint32_t y, std::uint32_t x) {
  return static_cast<std::uint16_t>(((y & 0xC0) << 5) | ((y & 7) << 8) | ((y & 0x38) << 2) | x);
}

std::uint16_t AttributeOffset(std::uint32_t y, std::uint32_t x) {
  return static_cast<std::uint16_t>(0x1800 + (y >> 3) * 32 + x);
}

}  // namespace

Contention::Contention(const MachineDescription& desc, Z80EX_CONTEXT* cpu) : cpu_(cpu), lineTStates_(desc.lineTStates) {
  for (const ContentionModel& model : MODELS) {
    if (model.paging != desc.paging) continue;
    first_ = model.firstContended;
    fetchStart_ = model.fetchStart;
    idleContended_ = model.idleContended;
    portsContended_ = model.portsContended;
    gateArray_ = model.gateArray;
    span_ = SCREEN_LINES * lineTStates_;
    delays_.assign(static_cast<std::size_t>(span_), 0);
    for (std::uint32_t line = 0; line < SCREEN_LINES; ++line) {
      for (std::uint32_t t = 0; t < FETCH; ++t) delays_[line * lineTStates_ + t] = model.pattern[t & 7];
    }
  }
}

bool Contention::PageContended(std::uint32_t page) const {
  if (!Enabled()) return false;
  return gateArray_ ? page >= 4 : (page & 1) != 0;
}

// Each idle cycle waits as a memory access to the address on the bus would.
// Where libz80ex starts a cycle before the last one ended (it does not
// always space them as the bus does), there are none.
std::int64_t Contention::IdleCycles(std::int64_t t, int count) const {
  for (int i = 0; i < count; ++i) t += Delay(t) + 1;
  return t;
}

std::uint32_t Contention::Memory(std::int64_t start, std::uint16_t address, bool m1) {
  const int at = z80ex_op_tstate(cpu_);
  const std::int64_t begin = start + at;
  std::int64_t t = idle_ && at > end_ ? IdleCycles(start + end_, at - end_) : begin;
  const bool contended = slots_[address >> 14];
  if (contended) t += Delay(t);
  const auto waits = static_cast<std::uint32_t>(t - begin);
  end_ = at + static_cast<int>(waits) + (m1 ? 4 : 3);
  idle_ = m1 ? Refresh() : contended && idleContended_;
  return waits;
}

void Contention::UpdateWaits() {
  slotWaits_ = active_ ? slotMask_ : 0;
  fetchWaits_ = active_ && Refresh() ? 1 : 0;
}

void Contention::FindWindow(std::int64_t start) {
  const std::int64_t reach = FETCH_TSTATES + STEP_REACH;
  const std::int64_t screenStart = first_ - STEP_REACH;  // the first step that can reach a fetch
  // A step just past a window inside the screen's lines is most often in the
  // next one: a line's followed part, then the rest of the line.
  if (start >= windowEnd_ && windowEnd_ >= screenStart && windowEnd_ < screenStart + span_) {
    const std::int64_t nextEnd = windowEnd_ + (active_ ? lineTStates_ - reach : reach);
    if (start < nextEnd) {
      windowStart_ = windowEnd_;
      windowEnd_ = nextEnd;
      active_ = !active_;
      UpdateWaits();
      return;
    }
  }
  const std::int64_t offset = start - screenStart;
  if (offset < 0 || offset >= span_) {
    active_ = false;
    UpdateWaits();
    windowStart_ = offset < 0 ? INT64_MIN : screenStart + span_;
    windowEnd_ = offset < 0 ? screenStart : INT64_MAX;
    return;
  }
  // The offset is under a frame: a 32-bit division is enough.
  const std::int64_t lineStart = start - static_cast<std::uint32_t>(offset) % static_cast<std::uint32_t>(lineTStates_);
  active_ = start - lineStart < reach;
  UpdateWaits();
  windowStart_ = active_ ? lineStart : lineStart + reach;
  windowEnd_ = std::min(active_ ? lineStart + reach : lineStart + lineTStates_, screenStart + span_);
}

// A port cycle is four T-states. On the ULA machines an even port waits
// for the ULA in its second T-state; a port whose high byte addresses a
// contended page waits as memory does, in the first T-state and, for an odd
// port, in each of the four.
std::uint32_t Contention::Port(std::int64_t start, std::uint16_t port) {
  const int cycle = z80ex_op_tstate(cpu_) - 1;  // libz80ex reports one T-state into the cycle
  const std::int64_t begin = start + cycle;
  std::int64_t t = idle_ && cycle > end_ ? IdleCycles(start + end_, cycle - end_) : begin;
  const bool high = portsContended_ && slots_[port >> 14];
  if (portsContended_ && (port & 1) == 0) {
    if (high) t += Delay(t);
    t += 1;
    t += Delay(t) + 3;
  } else if (high) {
    for (int i = 0; i < 4; ++i) t += Delay(t) + 1;
  } else {
    t += 4;
  }
  idle_ = false;
  return static_cast<std::uint32_t>(t - begin - 4);
}

int Contention::EndIdle(std::int64_t start, int length) {
  if (length <= end_) return 0;
  return static_cast<int>(IdleCycles(start + end_, length - end_) - (start + length));
}

bool Contention::FloatsOn(std::uint16_t port, bool locked) const {
  if (!Enabled()) return false;
  if (!gateArray_) return true;
  return !locked && (port & 0xF003) == 0x0001;
}

// Each group of eight T-states of a screen line's fetch puts bitmap,
// attribute, the next bitmap and attribute on the bus, then leaves it idle
// for four. The ULA machines read 0xFF when idle; the gate array keeps its
// last byte, with bit 0 set.
std::uint8_t Contention::FloatingBus(std::int64_t t, const std::uint8_t* screen) const {
  const std::int64_t offset = t - fetchStart_;
  const std::int64_t lastLine = span_;
  std::uint32_t y = SCREEN_LINES - 1;
  std::uint32_t column = FETCH - 5;  // the frame's last fetch: its final attribute
  if (offset >= 0 && offset < lastLine) {
    y = static_cast<std::uint32_t>(offset / lineTStates_);
    column = static_cast<std::uint32_t>(offset % lineTStates_);
    if (column >= FETCH) column = FETCH - 5;
    if (!gateArray_ && (column & 7) >= 4) return 0xFF;
  } else if (!gateArray_) {
    return 0xFF;
  }
  const std::uint32_t step = (column & 7) >= 4 ? 3 : column & 7;
  const std::uint32_t x = (column >> 3) * 2 + (step >> 1);
  const std::uint8_t byte = (step & 1) != 0 ? screen[AttributeOffset(y, x)] : screen[BitmapOffset(y, x)];
  return gateArray_ ? static_cast<std::uint8_t>(byte | 1) : byte;
}

}  // namespace reelbox::host

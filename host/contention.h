// The display's claim on the bus. While the ULA (or the +2A/+3's gate array)
// fetches the screen, a Z80 access to a contended RAM page waits for it; an
// unattached port reads the byte the display is fetching (the floating bus).
//
// The machine tells this clock where each instruction step starts and what
// bus cycles libz80ex begins inside it; the answer is the wait states to
// insert. Idle cycles between two accesses (the one-T-state cycles that put
// the last address, or IR after an opcode fetch, on the bus) are contended on
// the ULA machines as well; the gate array contends only memory cycles and
// never ports.
#pragma once

#include <z80ex/z80ex.h>

#include <array>
#include <cstdint>
#include <vector>

#include "host/machine_table.h"

namespace reelbox::host {

class Contention {
 public:
  Contention(const MachineDescription& desc, Z80EX_CONTEXT* cpu);

  bool Enabled() const { return !delays_.empty(); }
  // Whether RAM page number page waits for the display.
  bool PageContended(std::uint32_t page) const;
  void SetSlot(int slot, bool contended) {
    slots_[slot] = contended;
    slotMask_ = contended ? slotMask_ | 1u << slot : slotMask_ & ~(1u << slot);
    UpdateWaits();
  }

  // The wait states of an access at frame T-state t of a contended page.
  std::uint32_t Delay(std::int64_t t) const {
    const std::int64_t offset = t - first_;
    return offset >= 0 && offset < static_cast<std::int64_t>(delays_.size()) ? delays_[offset] : 0;
  }

  // A new step (instruction, prefix or interrupt) begins at frame T-state
  // start. Steps that start too far from a screen line's fetch to reach it
  // cannot wait, and their bus cycles are not followed at all.
  void BeginStep(std::int64_t start) {
    if (start < windowStart_ || start >= windowEnd_) FindWindow(start);
    idle_ = false;
  }
  bool Active() const { return active_; }
  // Where the window of the last BeginStep ends: every step starting before
  // it is followed, or none is.
  std::int64_t WindowEnd() const { return windowEnd_; }
  // The idle cycles after an opcode fetch put IR on the bus: they wait when I
  // addresses a contended page. I is taken once a frame.
  void SetRefreshRegister(std::uint8_t i) {
    refreshSlot_ = i >> 6;
    UpdateWaits();
  }

  // Whether a memory cycle at address may wait at all: the cheap test made on
  // every access before the wait is worked out.
  bool MayWait(std::uint16_t address, bool m1) const {
    return (((slotWaits_ >> (address >> 14)) | (fetchWaits_ & static_cast<unsigned>(m1)) | idle_) & 1) != 0;
  }
  // Wait states before a memory cycle that MayWait let through, of the active
  // step that began at frame T-state start.
  std::uint32_t Memory(std::int64_t start, std::uint16_t address, bool m1);
  // Wait states of a port cycle of the active step.
  std::uint32_t Port(std::int64_t start, std::uint16_t port);
  // Wait states of the idle cycles that end an active step of length
  // T-states; the next step of the window may begin without BeginStep.
  int EndStep(std::int64_t start, int length) {
    if (!idle_) return 0;
    idle_ = false;
    return EndIdle(start, length);
  }

  // What a read of an unattached port gives when its cycle's last T-state is
  // frame T-state t: the screen byte being fetched, or 0xFF when none is.
  std::uint8_t FloatingBus(std::int64_t t, const std::uint8_t* screen) const;
  // Whether reading port gives the floating bus rather than 0xFF; locked is
  // 0x7FFD's lock bit.
  bool FloatsOn(std::uint16_t port, bool locked) const;

 private:
  static constexpr std::int64_t FETCH_TSTATES = 128;  // the part of a line the display fetches in
  static constexpr std::int64_t STEP_REACH = 24;      // longer than any step without waits

  // Finds the stretch of frame T-states around start whose steps are all
  // followed, or all not, so that most steps decide with two comparisons.
  void FindWindow(std::int64_t start);
  bool Refresh() const { return idleContended_ && slots_[refreshSlot_]; }
  void UpdateWaits();
  int EndIdle(std::int64_t start, int length);
  std::int64_t IdleCycles(std::int64_t t, int count) const;

  Z80EX_CONTEXT* cpu_;
  std::vector<std::uint8_t> delays_;  // by T-state from first_, over the 192 screen lines
  std::int64_t first_ = 0;            // the first contended T-state of the frame
  std::int64_t span_ = 0;             // T-states from there to the end of the last screen line
  std::int64_t fetchStart_ = 0;       // when the first screen byte is on the bus
  std::int64_t lineTStates_;
  bool idleContended_ = false;
  bool portsContended_ = false;
  bool gateArray_ = false;
  std::array<bool, 4> slots_{};
  bool active_ = false;
  // While active_, bit s: a memory cycle in slot s may wait; fetchWaits_: any
  // opcode fetch may, by its refresh cycle. Idle cycles after a waiting
  // access are followed as well (idle_), which only active steps set.
  unsigned slotWaits_ = 0;
  unsigned slotMask_ = 0;  // bit s: slots_[s]
  unsigned fetchWaits_ = 0;
  std::int64_t windowStart_ = 0;  // active_ holds for steps starting in [windowStart_, windowEnd_)
  std::int64_t windowEnd_ = 0;
  int refreshSlot_ = 0;  // the slot I addresses
  bool idle_ = false;    // the address on the bus in idle cycles is contended
  int end_ = 0;          // where the step's last bus cycle ended, when idle_
};

}  // namespace reelbox::host

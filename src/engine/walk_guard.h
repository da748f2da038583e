// Tells a walk through the blocks that goes round for ever from a long one.
// While no time passes (no pulse of non-zero length is queued), the walk is a
// fixed function of its position: coming back to a position already passed
// means it never ends. Positions are compared with one saved at doubling
// intervals (Brent's cycle finding), so a cycle is caught within about twice
// its length and no finite walk is ever cut short by it. A cap on steps without
// time passing ends walks that are finite but absurdly long.
#pragma once

#include <cstdint>

namespace reelbox {

// What decides where the walk goes next.
struct WalkPosition {
  std::int32_t blockIndex;
  std::int32_t loopStart;
  std::int32_t loopCount;
  std::int32_t callBlock;
  std::int32_t callNext;
};

inline bool operator==(const WalkPosition& a, const WalkPosition& b) {
  return a.blockIndex == b.blockIndex && a.loopStart == b.loopStart && a.loopCount == b.loopCount &&
         a.callBlock == b.callBlock && a.callNext == b.callNext;
}

class WalkGuard {
 public:
  // Steps without time passing allowed beyond four per block.
  static constexpr std::uint64_t STEP_ALLOWANCE = 1u << 24;

  // Every pulse queued; an empty one counts as a step in which no time passed.
  void Pulse(std::uint32_t length) { idleSteps_ = length != 0 ? 0 : idleSteps_ + 1; }
  void Restart() { idleSteps_ = 0; }
  // One block about to be examined at position; false when the walk is going
  // round or has run past the cap.
  bool Step(const WalkPosition& position, std::int32_t blockCount) {
    if (idleSteps_++ == 0) return Save(position, 1);
    if (idleSteps_ > 4 * static_cast<std::uint64_t>(blockCount) + STEP_ALLOWANCE) return false;
    if (position == saved_) return false;
    if (++sinceSaved_ == power_) Save(position, power_ * 2);
    return true;
  }

 private:
  bool Save(const WalkPosition& position, std::uint64_t power) {
    saved_ = position;
    power_ = power;
    sinceSaved_ = 0;
    return true;
  }

  std::uint64_t idleSteps_ = 0;
  WalkPosition saved_{};
  std::uint64_t power_ = 1;
  std::uint64_t sinceSaved_ = 0;
};

}  // namespace reelbox

// Fast loading through the loader's registers: pilot skip, whole-block flash
// loading through the ROM loader, and edge detection.
#include "engine/tape_deck.h"

namespace reelbox {

// Not built yet: the tone plays in full.
void TapeDeck::TryPilotSkip() {}

// Not built yet: the block plays as sound.
void TapeDeck::FlashLoadRomBlock() {}

// Not built yet: every edge comes at its own time.
void TapeDeck::DetectEdge(std::uint16_t, std::uint8_t, std::uint16_t) {}

}  // namespace reelbox

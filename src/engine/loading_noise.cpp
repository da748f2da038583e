// The loading noise: the EAR signal made audible through a sound buffer.
#include "engine/tape_deck.h"

namespace reelbox {

// Not built yet: the deck is silent.
HResult TapeDeck::StopNoise() { return RESULT_OK; }

// Not built yet: writes nothing.
void TapeDeck::RenderNoiseFrame(std::int16_t*, std::int32_t) {}

// Not built yet: the frame start leaves the noise alone.
void TapeDeck::NoiseFrameStart(std::uint32_t) {}

// Not built yet: nothing is rendered.
HResult TapeDeck::NoiseFrameEnd() { return RESULT_OK; }

}  // namespace reelbox

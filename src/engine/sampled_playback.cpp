// Playback of sampled tapes: CSW pulse runs and 8-bit sample pieces.
#include "engine/tape_deck.h"

namespace reelbox {

// Not built yet: the piece is skipped.
void TapeDeck::StartCsw(const TapeBlock&) { AdvancePhase(); }

// Not built yet: the piece is skipped.
void TapeDeck::StartSampledAudio(const TapeBlock&) { AdvancePhase(); }

// Not built yet: never installed; moves on if reached.
void TapeDeck::PlayCswRuns() { AdvancePhase(); }

// Not built yet: never installed; moves on if reached.
void TapeDeck::PlaySampledAudio() { AdvancePhase(); }

}  // namespace reelbox

// Byte flash loading: whole bytes handed to a recognised loader's byte loop.
#include "engine/tape_deck.h"

namespace reelbox {

// Not built yet: no loader is recognised, the data plays as sound.
bool TapeDeck::WatchForFlashLoad() { return false; }

// Not built yet: hands the block back to the data-bit handler.
void TapeDeck::FlashLoadBytes() {
  edgeHandler = &TapeDeck::PlayDataBytes;
  CallHandler();
}

// Not built yet: hands the block back to the data-bit handler.
void TapeDeck::FlashLoadInlineBytes() {
  edgeHandler = &TapeDeck::PlayDataBytes;
  CallHandler();
}

}  // namespace reelbox

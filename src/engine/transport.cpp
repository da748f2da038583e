// The transport operations that the window's commands run on the deck.
#include "engine/tape_deck.h"

namespace reelbox {
namespace {

// Blocks that stop the tape by themselves; Play from Stopped steps over one.
bool StopsTheTape(const TapeBlock* block) { return block != nullptr && (block->id == 0x20 || block->id == 0x2A); }

// Data blocks whose pause may be running when the deck is stopped.
bool HasPausePhase(const TapeBlock* block) {
  return block != nullptr && (block->id == 0x10 || block->id == 0x11 || block->id == 0x14 || block->id == 0x15);
}

}  // namespace

// A fresh start counts its first pulse from the start of the current frame; a
// resume continues the pulse under way.
bool TapeDeck::Play() {
  if (blockList->GetCount() == 0) return false;
  if (state == DECK_PLAYING) return true;
  const std::int32_t previous = state;
  state = DECK_PLAYING;
  tapeEnded = 0;
  earLevel = 0x40;
  lastClock = FrameClock();
  if (previous != DECK_PAUSED) {
    untilEdge = 0;
    lastClock = 0;
    lastEdgeTime = 0;
    currentPulse = 0;
    walkGuard.Restart();
    if (StopsTheTape(CurrentBlock())) ++blockIndex;
    NextBlock();
  }
  Notify(TAPE_EVENT_STATE, state);
  return true;
}

bool TapeDeck::Pause() {
  if (state != DECK_PLAYING) return false;
  RequestFullSpeed(0);
  state = DECK_PAUSED;
  Notify(TAPE_EVENT_STATE, DECK_PAUSED);
  return true;
}

// Stopped during the pause after a data block, the deck moves on to the next
// block (the first after the last), so that Play does not repeat the pause.
bool TapeDeck::Stop() {
  state = DECK_STOPPED;
  edgeHandler = nullptr;
  Notify(TAPE_EVENT_STATE, DECK_STOPPED);
  RequestFullSpeed(0);
  SetSaveTrap(false);
  const std::int32_t count = blockList->GetCount();
  if (count == 0) return false;
  autoPlayArmed = 0;
  if (HasPausePhase(CurrentBlock()) && phase == 4) {
    blockIndex = blockIndex + 1 < count ? blockIndex + 1 : 0;
    phase = 0;
    Notify(TAPE_EVENT_BLOCK, blockIndex);
  }
  Notify(TAPE_EVENT_STATE, state);
  return true;
}

void TapeDeck::Record() {
  if (state != DECK_STOPPED) return;
  state = DECK_RECORDING;
  SetSaveTrap(true);
  Notify(TAPE_EVENT_STATE, DECK_RECORDING);
}

// An index outside the tape (a malformed select block, a skip past either
// end) is clamped to the first or the last block, so blockIndex always names a
// block that the window and the sequencer can show and start.
void TapeDeck::GoToBlock(std::int32_t index) {
  const std::int32_t count = blockList->GetCount();
  if (index >= count) index = count - 1;
  if (index < 0) index = 0;
  blockIndex = index;
  untilEdge = 0;
  loopStart = 0;
  lastClock = 0;
  walkGuard.Restart();
  if (state == DECK_PLAYING || state == DECK_PAUSED) NextBlock();
}

}  // namespace reelbox

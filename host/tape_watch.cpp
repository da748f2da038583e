#include "host/tape_watch.h"

namespace reelbox::host {

void TapeWatch::Observe(std::uint32_t message, std::uintptr_t code, std::intptr_t value, std::uint64_t frame) {
  if (message != TAPE_NOTIFICATION) return;
  if (code == NOTIFY_STATE) {
    OnState(static_cast<std::int32_t>(value), frame);
  } else if (code == NOTIFY_BLOCK) {
    OnBlock(static_cast<std::int32_t>(value));
  } else if (code == NOTIFY_RECORDED) {
    ++recordedNotices_;
  }
}

void TapeWatch::OnState(std::int32_t state, std::uint64_t frame) {
  if (state == state_) return;
  const bool wasPlaying = state_ == DECK_STATE_PLAYING;
  state_ = state;
  lastChangeFrame_ = frame;
  if (state == DECK_STATE_PLAYING) {
    if (!everPlayed_) firstPlayFrame_ = frame;
    everPlayed_ = true;
    ranToEnd_ = false;
    ++playStarts_;
  } else if (wasPlaying) {
    lastStopFrame_ = frame;
  }
}

// The deck announces a block as it starts it; the rewind at the end of the tape
// comes after the deck has stopped.
void TapeWatch::OnBlock(std::int32_t block) {
  if (everPlayed_ && state_ == DECK_STATE_STOPPED && block == 0) ranToEnd_ = true;
  if (state_ != DECK_STATE_STOPPED || block != 0 || !everPlayed_) blocks_.insert(block);
  block_ = block;
}

}  // namespace reelbox::host

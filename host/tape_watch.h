// What the host's message loop learns of the deck from the notifications the
// plug-in posts to its recorder window: state changes and blocks, with the
// frame in which each arrived.
#pragma once

#include <cstdint>
#include <set>

namespace reelbox::host {

// The plug-in's notification message and the codes it carries.
constexpr std::uint32_t TAPE_NOTIFICATION = 0x500;
constexpr std::uint32_t NOTIFY_BLOCK = 0;
constexpr std::uint32_t NOTIFY_STATE = 1;
constexpr std::uint32_t NOTIFY_RECORDED = 5;
constexpr std::int32_t DECK_STATE_STOPPED = 1;
constexpr std::int32_t DECK_STATE_PAUSED = 2;
constexpr std::int32_t DECK_STATE_PLAYING = 3;
constexpr std::int32_t DECK_STATE_RECORDING = 4;

class TapeWatch {
 public:
  void Observe(std::uint32_t message, std::uintptr_t code, std::intptr_t value, std::uint64_t frame);

  std::int32_t State() const { return state_; }
  std::int32_t Block() const { return block_; }
  bool EverPlayed() const { return everPlayed_; }
  bool Playing() const { return state_ == DECK_STATE_PLAYING; }
  // The deck rewound to block 0 after it had played: the tape ran off its end.
  bool RanToEnd() const { return ranToEnd_; }
  std::uint32_t PlayStarts() const { return playStarts_; }
  std::uint64_t FirstPlayFrame() const { return firstPlayFrame_; }
  std::uint64_t LastStopFrame() const { return lastStopFrame_; }
  std::uint64_t LastChangeFrame() const { return lastChangeFrame_; }
  // Distinct blocks the deck announced.
  std::size_t BlocksAnnounced() const { return blocks_.size(); }
  // Recorded-block notifications that reached the window (the window takes
  // any others still queued with the first).
  std::uint32_t RecordedNotices() const { return recordedNotices_; }

 private:
  void OnState(std::int32_t state, std::uint64_t frame);
  void OnBlock(std::int32_t block);

  std::int32_t state_ = DECK_STATE_STOPPED;
  std::int32_t block_ = 0;
  bool everPlayed_ = false;
  bool ranToEnd_ = false;
  std::uint32_t playStarts_ = 0;
  std::uint64_t firstPlayFrame_ = 0;
  std::uint64_t lastStopFrame_ = 0;
  std::uint64_t lastChangeFrame_ = 0;
  std::set<std::int32_t> blocks_;
  std::uint32_t recordedNotices_ = 0;
};

}  // namespace reelbox::host

// The 48K keyboard matrix and a typist that presses keys across frames, slowly
// enough for the ROM's once-per-frame keyboard scan to see every press.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace reelbox::host {

// A key as its half-row (0: CAPS SHIFT..V, 1: A..G, 2: Q..T, 3: 1..5, 4: 0..6,
// 5: P..Y, 6: ENTER..H, 7: SPACE..B) and its bit (0 = outermost key).
struct Key {
  std::uint8_t row;
  std::uint8_t bit;
};

constexpr Key KEY_CAPS_SHIFT = {0, 0};
constexpr Key KEY_SYMBOL_SHIFT = {7, 1};
constexpr Key KEY_ENTER = {6, 0};
constexpr Key KEY_SPACE = {7, 0};
constexpr Key KEY_6 = {4, 4};  // with CAPS SHIFT: cursor down

class Keyboard {
 public:
  void Press(Key key) { rows_[key.row] |= static_cast<std::uint8_t>(1u << key.bit); }
  void Release(Key key) { rows_[key.row] &= static_cast<std::uint8_t>(~(1u << key.bit)); }
  void ReleaseAll() { rows_.fill(0); }
  // Bits 0-4 of a ULA port read: 0 for every pressed key of the half-rows whose
  // address line (bits 8-15 of the port) is low.
  std::uint8_t Read(std::uint8_t addressHigh) const;

 private:
  std::array<std::uint8_t, 8> rows_{};
};

// The keys that type one character: up to two keys held together.
using Chord = std::vector<Key>;

// The chord for a character ('\n' is ENTER); false for a character the
// keyboard cannot type.
bool ChordForCharacter(char c, Chord* chord);

// Types text a chord at a time: each chord is held for holdFrames frames and
// followed by gapFrames with no key down, so repeated keys count twice.
class Typist {
 public:
  explicit Typist(std::uint32_t holdFrames = 4, std::uint32_t gapFrames = 6) : hold_(holdFrames), gap_(gapFrames) {}
  // False (and nothing queued) when text holds a character with no chord.
  bool Queue(const std::string& text);
  // Chords as they are, e.g. CAPS SHIFT with SYMBOL SHIFT for extended mode.
  void QueueChords(const std::vector<Chord>& chords) { pending_.insert(pending_.end(), chords.begin(), chords.end()); }
  bool Busy() const { return !pending_.empty() || framesLeft_ > 0; }
  // Called once before every frame: updates the pressed keys.
  void Tick(Keyboard& keyboard);

 private:
  std::deque<Chord> pending_;
  std::uint32_t hold_;
  std::uint32_t gap_;
  std::uint32_t framesLeft_ = 0;
  bool holding_ = false;
  Chord current_;
};

}  // namespace reelbox::host

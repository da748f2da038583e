#include "host/keyboard.h"

#include <cctype>
#include <cstring>

namespace reelbox::host {
namespace {

// The keys of each half-row, outermost first.
constexpr const char* ROW_KEYS[8] = {"\x01ZXCV", "ASDFG", "QWERT", "12345", "09876", "POIUY", "\nLKJH", " \x02MNB"};

bool PlainKey(char c, Key* key) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (std::uint8_t row = 0; row < 8; ++row) {
    const char* found = std::strchr(ROW_KEYS[row], upper);
    if (found != nullptr && upper != '\0') {
      *key = Key{row, static_cast<std::uint8_t>(found - ROW_KEYS[row])};
      return true;
    }
  }
  return false;
}

// Symbols typed with SYMBOL SHIFT, as printed on the 48K keys.
struct SymbolKey {
  char symbol;
  char key;
};
constexpr SymbolKey SYMBOLS[] = {
    {'"', 'P'}, {':', 'Z'}, {';', 'O'}, {',', 'N'}, {'.', 'M'}, {'=', 'L'},  {'+', 'K'}, {'-', 'J'},
    {'*', 'B'}, {'/', 'V'}, {'(', '8'}, {')', '9'}, {'$', '4'}, {'<', 'R'},  {'>', 'T'}, {'?', 'C'},
    {'!', '1'}, {'@', '2'}, {'#', '3'}, {'%', '5'}, {'&', '6'}, {'\'', '7'}, {'_', '0'}, {'^', 'H'},
};

}  // namespace

// Loaders read the port tens of thousands of times a second with no key down.
std::uint8_t Keyboard::Read(std::uint8_t addressHigh) const {
  std::uint64_t anyRow = 0;
  std::memcpy(&anyRow, rows_.data(), sizeof anyRow);
  if (anyRow == 0) return 0x1F;
  std::uint8_t pressed = 0;
  for (int row = 0; row < 8; ++row) {
    if ((addressHigh & (1u << row)) == 0) pressed |= rows_[row];
  }
  return static_cast<std::uint8_t>(~pressed & 0x1F);
}

bool ChordForCharacter(char c, Chord* chord) {
  chord->clear();
  Key key{};
  for (const SymbolKey& symbol : SYMBOLS) {
    if (symbol.symbol == c && PlainKey(symbol.key, &key)) {
      *chord = {KEY_SYMBOL_SHIFT, key};
      return true;
    }
  }
  if (!PlainKey(c, &key)) return false;
  if (std::isupper(static_cast<unsigned char>(c))) chord->push_back(KEY_CAPS_SHIFT);
  chord->push_back(key);
  return true;
}

bool Typist::Queue(const std::string& text) {
  std::deque<Chord> chords;
  for (char c : text) {
    Chord chord;
    if (!ChordForCharacter(c, &chord)) return false;
    chords.push_back(chord);
  }
  pending_.insert(pending_.end(), chords.begin(), chords.end());
  return true;
}

void Typist::Tick(Keyboard& keyboard) {
  if (framesLeft_ > 0 && --framesLeft_ > 0) return;
  if (holding_) {
    for (const Key& key : current_) keyboard.Release(key);
    holding_ = false;
    framesLeft_ = gap_;
    if (framesLeft_ > 0) return;
  }
  if (pending_.empty()) return;
  current_ = pending_.front();
  pending_.pop_front();
  for (const Key& key : current_) keyboard.Press(key);
  holding_ = true;
  framesLeft_ = hold_;
}

}  // namespace reelbox::host

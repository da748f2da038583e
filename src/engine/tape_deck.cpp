#include "engine/tape_deck.h"

#include "platform/os_version.h"

namespace reelbox {
namespace {

// Windows NT 4.0's sound mixer starts a buffer late: write more frames ahead.
std::uint32_t NoiseLeadFrames() {
  const platform::OsVersion version = platform::GetOsVersion();
  const bool nt4 = version.platformId == 2 && version.major == 4 && version.minor == 0;
  return nt4 ? 8 : 4;
}

}  // namespace

TapeDeck::TapeDeck(TapeBlockList* list) : blockList(list) {
  noiseLeadFrames = NoiseLeadFrames();
  noiseCountdown = noiseLeadFrames;
  ResetDeck();
}

TapeDeck::~TapeDeck() {
  Detach();
  SaveSettings();
  while (recordedBlocks != nullptr) {
    TapeBlock* next = recordedBlocks->next;
    FreeBlock(recordedBlocks);
    recordedBlocks = next;
  }
}

}  // namespace reelbox

// The four options that the recorder window keeps and the deck follows: set
// from the window's options toolbar and from the options page.
#pragma once

#include <cstdint>

namespace reelbox {

class TapeDeck;

struct WindowOptions {
  bool fastLoading;
  bool autoPlay;
  bool loadingNoise;
  bool autoLoad;
};

// The deck's share, written directly (single 32-bit flags): auto play, then
// fast loading (which may switch the host's full speed), then the noise.
void ApplyEngineOptions(TapeDeck& deck, const WindowOptions& options);

}  // namespace reelbox

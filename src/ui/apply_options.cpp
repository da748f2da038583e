#include "ui/apply_options.h"

#include "engine/tape_deck.h"
#include "ui/cassette_recorder.h"

namespace reelbox {

void ApplyEngineOptions(TapeDeck& deck, const WindowOptions& options) {
  deck.SetAutoPlayStop(options.autoPlay);
  deck.SetFastLoading(options.fastLoading);
  deck.loadingNoise = options.loadingNoise ? 1 : 0;
}

void CassetteRecorder::ApplyOptions(TapeDeck& deck, const WindowOptions& options) {
  // The options toolbar, once the window has one, shows these four at once.
  ApplyEngineOptions(deck, options);
  fastLoad = options.fastLoading;
  autoPlay = options.autoPlay;
  loadingTones = options.loadingNoise;
  autoLoad = options.autoLoad;
}

}  // namespace reelbox

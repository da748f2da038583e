#include "ui/apply_options.h"

#include "engine/tape_deck.h"
#include "ui/cassette_recorder.h"
#include "ui/recorder_commands.h"

namespace reelbox {

void ApplyEngineOptions(TapeDeck& deck, const WindowOptions& options) {
  deck.SetAutoPlayStop(options.autoPlay);
  deck.SetFastLoading(options.fastLoading);
  deck.loadingNoise = options.loadingNoise ? 1 : 0;
}

void CassetteRecorder::ApplyOptions(TapeDeck& deck, const WindowOptions& options) {
  if (view != nullptr) {
    view->PressButton(ID_FAST_LOADING, options.fastLoading);
    view->PressButton(ID_AUTO_PLAY, options.autoPlay);
    view->PressButton(ID_LOADING_NOISE, options.loadingNoise);
    view->PressButton(ID_AUTO_LOAD, options.autoLoad);
  }
  ApplyEngineOptions(deck, options);
  fastLoad = options.fastLoading;
  autoPlay = options.autoPlay;
  loadingTones = options.loadingNoise;
  autoLoad = options.autoLoad;
}

}  // namespace reelbox

#include "ui/options_page_model.h"

#include "engine/tape_deck.h"
#include "ui/cassette_recorder.h"

namespace reelbox {
namespace {

constexpr std::uint32_t AUTO_LOAD_DEFAULT = 1;  // the window's initial value

CassetteRecorder* RecorderOf(const OptionsTarget& target) {
  return target.recorder != nullptr ? *target.recorder : nullptr;
}

}  // namespace

const std::uint32_t OPTIONS_HELP_IDS[] = {
    1013,
    1000,
    IDC_AUTO_LOAD,
    1024,
    IDC_AUTO_PLAY,
    1026,
    IDC_LOADING_NOISE,
    1027,
    IDC_LOUD_NOISE,
    1058,
    IDC_STOP_AT_END,
    1064,
    IDC_FAST_LOADING,
    1025,
    IDC_FLASH_LOADING,
    1028,
    IDC_EDGE_DETECTION,
    1043,
    1014,
    1000,
    IDC_LINK_TAPE,
    1029,
    IDC_EMBED_TAPE,
    1030,
    IDC_WARN_EMBED,
    1031,
    0,
    0,
};

OptionChecks ReadOptions(const OptionsTarget& target) {
  const TapeDeck& deck = *target.deck;
  const CassetteRecorder* recorder = RecorderOf(target);
  OptionChecks checks;
  checks.Set(IDC_AUTO_LOAD, (recorder != nullptr ? recorder->autoLoad : AUTO_LOAD_DEFAULT) != 0);
  checks.Set(IDC_AUTO_PLAY, deck.autoPlayStop != 0);
  checks.Set(IDC_LOADING_NOISE, deck.loadingNoise != 0);
  checks.Set(IDC_LOUD_NOISE, deck.loudNoise != 0);
  checks.Set(IDC_STOP_AT_END, deck.stopAtEndOfTape != 0);
  checks.Set(IDC_FAST_LOADING, deck.fastLoading != 0);
  checks.Set(IDC_FLASH_LOADING, deck.flashLoading != 0);
  checks.Set(IDC_EDGE_DETECTION, deck.edgeDetection != 0);
  checks.Set(IDC_LINK_TAPE, *target.embedTape == 0);
  checks.Set(IDC_EMBED_TAPE, *target.embedTape != 0);
  checks.Set(IDC_WARN_EMBED, *target.warnEmbedLargeFiles != 0);
  return checks;
}

bool IsOptionEnabled(const OptionChecks& checks, int id) {
  switch (id) {
    case IDC_FLASH_LOADING:
    case IDC_EDGE_DETECTION:
      return checks.Checked(IDC_FAST_LOADING);
    case IDC_WARN_EMBED:
      return checks.Checked(IDC_EMBED_TAPE);
    case IDC_STOP_AT_END:
      return checks.Checked(IDC_AUTO_PLAY);
    case IDC_LOUD_NOISE:
      return checks.Checked(IDC_LOADING_NOISE);
    default:
      return true;
  }
}

void WriteOptions(const OptionChecks& checks, const OptionsTarget& target) {
  TapeDeck& deck = *target.deck;
  deck.SetFlashLoading(checks.Checked(IDC_FLASH_LOADING));
  deck.edgeDetection = checks.Checked(IDC_EDGE_DETECTION);
  deck.loudNoise = checks.Checked(IDC_LOUD_NOISE);
  deck.stopAtEndOfTape = checks.Checked(IDC_STOP_AT_END);
  *target.embedTape = checks.Checked(IDC_EMBED_TAPE);
  *target.warnEmbedLargeFiles = checks.Checked(IDC_WARN_EMBED);
  const WindowOptions options{checks.Checked(IDC_FAST_LOADING), checks.Checked(IDC_AUTO_PLAY),
                              checks.Checked(IDC_LOADING_NOISE), checks.Checked(IDC_AUTO_LOAD)};
  if (CassetteRecorder* recorder = RecorderOf(target)) {
    recorder->ApplyOptions(deck, options);
  } else {
    ApplyEngineOptions(deck, options);
  }
}

}  // namespace reelbox

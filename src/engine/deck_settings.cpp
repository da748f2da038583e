// The deck's own settings in the host's settings store: read when the tool
// window is created, written back when the plug-in object goes.
#include "engine/tape_deck.h"

namespace reelbox {
namespace {

struct DeckSetting {
  const char* name;
  OptionFlag TapeDeck::*field;
};

constexpr DeckSetting DECK_SETTINGS[] = {
    {"FlashLoad", &TapeDeck::flashLoading},
    {"Edge Detection", &TapeDeck::edgeDetection},
    {"Loud Tones", &TapeDeck::loudNoise},
    {"Stop At End Of Tape", &TapeDeck::stopAtEndOfTape},
};

}  // namespace

void TapeDeck::UseSettingsStore(IHostShell* store) {
  if (store != nullptr) store->AddRef();
  SafeRelease(settingsStore);
  settingsStore = store;
  if (settingsStore == nullptr) return;
  for (const DeckSetting& setting : DECK_SETTINGS) {
    std::uint32_t value = (this->*setting.field).load();
    settingsStore->GetSettingDword(SETTINGS_KEY, setting.name, &value);  // absent: the default stays
    (this->*setting.field) = value != 0 ? 1 : 0;
  }
}

void TapeDeck::SaveSettings() {
  if (settingsStore == nullptr) return;
  for (const DeckSetting& setting : DECK_SETTINGS) {
    settingsStore->SetSettingDword(SETTINGS_KEY, setting.name, (this->*setting.field).load());
  }
  SafeRelease(settingsStore);
}

}  // namespace reelbox

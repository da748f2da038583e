// The recorder window's settings in the host's settings store.
#include "ui/cassette_recorder.h"

namespace reelbox {
namespace {

struct WindowSetting {
  const char* name;
  std::uint32_t CassetteRecorder::*field;
};

// In the order they are read and written.
constexpr WindowSetting WINDOW_SETTINGS[] = {
    {"Show Window", &CassetteRecorder::showWindow},     {"Fast Load", &CassetteRecorder::fastLoad},
    {"AutoPlay", &CassetteRecorder::autoPlay},          {"Detailed TOC", &CassetteRecorder::detailedToc},
    {"Loading Tones", &CassetteRecorder::loadingTones}, {"AutoLoad", &CassetteRecorder::autoLoad},
};

void ReadPosition(IHostShell* host, const char* name, std::int32_t* value) {
  std::uint32_t stored = static_cast<std::uint32_t>(*value);
  host->GetSettingDword(SETTINGS_KEY, name, &stored);
  *value = static_cast<std::int32_t>(stored);
}

}  // namespace

void CassetteRecorder::LoadSettings() {
  if (host != nullptr) {
    for (const WindowSetting& setting : WINDOW_SETTINGS) {
      host->GetSettingDword(SETTINGS_KEY, setting.name, &(this->*setting.field));
    }
  }
  // The deck learns its share at the next frame start.
  PostCommand(CMD_SET_FAST_LOAD, fastLoad, 0);
  PostCommand(CMD_SET_AUTO_PLAY, autoPlay, 0);
  PostCommand(CMD_SET_LOADING_NOISE, loadingTones, 0);
  if (host == nullptr) return;
  ReadPosition(host, "Left", &left);
  ReadPosition(host, "Top", &top);
  host->PlaceToolWindow(window, left, top);
}

void CassetteRecorder::SaveSettings() {
  if (host == nullptr) return;
  for (const WindowSetting& setting : WINDOW_SETTINGS) {
    host->SetSettingDword(SETTINGS_KEY, setting.name, this->*setting.field);
  }
  host->SetSettingDword(SETTINGS_KEY, "Left", static_cast<std::uint32_t>(left));
  host->SetSettingDword(SETTINGS_KEY, "Top", static_cast<std::uint32_t>(top));
}

}  // namespace reelbox

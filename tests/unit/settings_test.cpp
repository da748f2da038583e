// Settings travel between the host's store and their owners: read when the
// tool window is created, written back when the window and the plug-in go.
#include <gtest/gtest.h>

#include <string>

#include "fake_host_objects.h"
#include "platform/window_messages.h"
#include "scripted_machine.h"
#include "shell/tape_plugin.h"
#include "ui/cassette_recorder.h"
#include "ui/options_page_model.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox {
namespace {

const std::string KEY = SETTINGS_KEY;

class Settings : public ::testing::Test {
 protected:
  Settings() {
    void* out = nullptr;
    CreateInstance(nullptr, IID_IToolWindow, &out);
    plugin = static_cast<TapePlugin*>(static_cast<IToolWindow*>(out));
  }
  ~Settings() override {
    if (plugin != nullptr) ReleasePlugin();
  }

  void Store(const char* name, std::uint32_t value) { shell.stored[KEY + "\\" + name] = value; }

  // Creates the window, then lets one frame carry the window's share to the deck.
  void CreateWindowAndRunAFrame() {
    ASSERT_EQ(RESULT_OK, plugin->Create(nullptr, &shell));
    ASSERT_EQ(RESULT_OK, plugin->Attach(&machine));
    plugin->BeginFrame(0);
    plugin->EndFrame(0, 0);
  }

  void ReleasePlugin() {
    if (CassetteRecorder* recorder = plugin->RecorderWindow()) platform::DestroyMessageWindow(recorder->Window());
    plugin->Detach();
    plugin->Release();
    plugin = nullptr;
  }

  test::FakeHostShell shell;
  test::ScriptedMachine machine;
  TapePlugin* plugin = nullptr;
};

TEST_F(Settings, StoredValuesReachTheDeckAndTheWindow) {
  for (const char* name : {"FlashLoad", "Edge Detection", "Stop At End Of Tape", "Fast Load", "AutoPlay", "AutoLoad"}) {
    Store(name, 0);
  }
  Store("Loud Tones", 1);
  Store("Loading Tones", 0);
  Store("Embed", 1);
  CreateWindowAndRunAFrame();

  const TapeDeck& deck = plugin->Deck();
  EXPECT_EQ(0u, deck.flashLoading);
  EXPECT_EQ(0u, deck.edgeDetection);
  EXPECT_EQ(1u, deck.loudNoise);
  EXPECT_EQ(0u, deck.stopAtEndOfTape);
  EXPECT_EQ(0u, deck.fastLoading);
  EXPECT_EQ(0u, deck.autoPlayStop);
  EXPECT_EQ(0u, deck.autoPlayArmed);
  EXPECT_EQ(0u, deck.loadingNoise);
  EXPECT_EQ(0u, plugin->RecorderWindow()->autoLoad);
}

TEST_F(Settings, AbsentValuesKeepTheDefaults) {
  CreateWindowAndRunAFrame();
  const TapeDeck& deck = plugin->Deck();
  EXPECT_EQ(1u, deck.flashLoading);
  EXPECT_EQ(1u, deck.edgeDetection);
  EXPECT_EQ(0u, deck.loudNoise);
  EXPECT_EQ(1u, deck.stopAtEndOfTape);
  EXPECT_EQ(1u, deck.fastLoading);
  EXPECT_EQ(1u, deck.autoPlayStop);
  EXPECT_EQ(1u, deck.loadingNoise);  // "Loading Tones" defaults on
  EXPECT_EQ(1u, plugin->RecorderWindow()->autoLoad);
}

// The window writes its eight values when it is destroyed; the plug-in then
// writes its two and the deck's four.
TEST_F(Settings, EverySettingIsWrittenBackInItsOrder) {
  Store("Loud Tones", 1);
  Store("AutoPlay", 0);
  CreateWindowAndRunAFrame();
  ReleasePlugin();

  std::vector<std::string> names;
  for (const test::SettingWrite& write : shell.dwordWrites) {
    EXPECT_EQ(KEY, write.key);
    names.push_back(write.name);
  }
  const std::vector<std::string> expected = {"Show Window",   "Fast Load",
                                             "AutoPlay",      "Detailed TOC",
                                             "Loading Tones", "AutoLoad",
                                             "Left",          "Top",
                                             "Embed",         "Warn Embed Large Files",
                                             "FlashLoad",     "Edge Detection",
                                             "Loud Tones",    "Stop At End Of Tape"};
  EXPECT_EQ(expected, names);
  EXPECT_EQ(1, shell.Written(KEY, "Loud Tones"));
  EXPECT_EQ(0, shell.Written(KEY, "AutoPlay"));
  EXPECT_EQ(1, shell.Written(KEY, "Warn Embed Large Files"));
}

}  // namespace
}  // namespace reelbox

namespace reelbox {
namespace {

// The options page's decisions, on the plug-in's own deck and window.
class OptionsPage : public Settings {
 protected:
  OptionChecks Checks(std::initializer_list<int> checked) {
    OptionChecks checks;
    for (int id : checked) checks.Set(id, true);
    return checks;
  }
};

TEST_F(OptionsPage, OpensWithTheOwnersValues) {
  Store("Edge Detection", 0);
  Store("Loud Tones", 1);
  Store("Embed", 1);
  Store("Warn Embed Large Files", 0);
  Store("AutoLoad", 0);
  Store("Loading Tones", 0);
  CreateWindowAndRunAFrame();
  const OptionChecks checks = ReadOptions(plugin->Options());
  for (int id : OPTION_BUTTONS) {
    const bool off = id == IDC_EDGE_DETECTION || id == IDC_WARN_EMBED || id == IDC_AUTO_LOAD ||
                     id == IDC_LOADING_NOISE || id == IDC_LINK_TAPE;
    EXPECT_EQ(!off, checks.Checked(id)) << id;
  }
}

TEST_F(OptionsPage, DependentControlsFollowTheirSwitch) {
  struct {
    int control, switchedBy;
  } const rules[] = {{IDC_FLASH_LOADING, IDC_FAST_LOADING},
                     {IDC_EDGE_DETECTION, IDC_FAST_LOADING},
                     {IDC_WARN_EMBED, IDC_EMBED_TAPE},
                     {IDC_STOP_AT_END, IDC_AUTO_PLAY},
                     {IDC_LOUD_NOISE, IDC_LOADING_NOISE}};
  for (const auto& rule : rules) {
    EXPECT_TRUE(IsOptionEnabled(Checks({rule.switchedBy}), rule.control)) << rule.control;
    EXPECT_FALSE(IsOptionEnabled(Checks({IDC_AUTO_LOAD, IDC_LINK_TAPE}), rule.control)) << rule.control;
  }
  for (int id : {IDC_AUTO_LOAD, IDC_AUTO_PLAY, IDC_LOADING_NOISE, IDC_FAST_LOADING, IDC_LINK_TAPE, IDC_EMBED_TAPE}) {
    EXPECT_TRUE(IsOptionEnabled(Checks({}), id)) << id;
  }
}

// Apply writes every check state, disabled controls included, and the values
// reach the store when the window and the plug-in go.
TEST_F(OptionsPage, ApplyReachesTheDeckTheWindowAndTheStore) {
  CreateWindowAndRunAFrame();
  WriteOptions(Checks({IDC_FLASH_LOADING, IDC_LOUD_NOISE, IDC_EMBED_TAPE, IDC_AUTO_LOAD}), plugin->Options());
  const TapeDeck& deck = plugin->Deck();
  const CassetteRecorder& window = *plugin->RecorderWindow();
  EXPECT_EQ(1u, deck.flashLoading);
  EXPECT_EQ(0u, deck.edgeDetection);
  EXPECT_EQ(1u, deck.loudNoise);
  EXPECT_EQ(0u, deck.stopAtEndOfTape);
  EXPECT_EQ(0u, deck.fastLoading);
  EXPECT_EQ(0u, deck.autoPlayStop);
  EXPECT_EQ(0u, deck.loadingNoise);
  EXPECT_EQ((std::vector<std::uint32_t>{0, 0, 0, 1}),
            (std::vector<std::uint32_t>{window.fastLoad, window.autoPlay, window.loadingTones, window.autoLoad}));
  ASSERT_FALSE(machine.fullSpeedCalls.empty());
  EXPECT_EQ(0u, machine.fullSpeedCalls.back());  // fast loading off ends full speed at once
  ReleasePlugin();
  const std::pair<const char*, std::int64_t> written[] = {{"FlashLoad", 1},     {"Edge Detection", 0},
                                                          {"Loud Tones", 1},    {"Stop At End Of Tape", 0},
                                                          {"Embed", 1},         {"Warn Embed Large Files", 0},
                                                          {"Fast Load", 0},     {"AutoPlay", 0},
                                                          {"Loading Tones", 0}, {"AutoLoad", 1}};
  for (const auto& value : written) EXPECT_EQ(value.second, shell.Written(KEY, value.first)) << value.first;
}

}  // namespace
}  // namespace reelbox

// Settings travel between the host's store and their owners: read when the
// tool window is created, written back when the window and the plug-in go.
#include <gtest/gtest.h>

#include <string>

#include "fake_host_objects.h"
#include "platform/window_messages.h"
#include "scripted_machine.h"
#include "shell/tape_plugin.h"
#include "ui/cassette_recorder.h"

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

}  // namespace
}  // namespace reelbox

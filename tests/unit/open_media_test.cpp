#include <gtest/gtest.h>

#include <string>

#include "contract/plugin_interfaces.h"
#include "fake_host_objects.h"
#include "platform/window_messages.h"
#include "sampled_tape_files.h"
#include "shell/tape_plugin.h"
#include "tape/sampled_blocks.h"
#include "tape/tape_opener.h"
#include "tape_files.h"
#include "ui/cassette_recorder.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox {
namespace {

using test::Bytes;

const Bytes TZX_FILE = test::Concat({test::TzxHeader(), test::Standard(test::DataBlockData(0xFF, 30)), test::Pause(0)});
const Bytes TAP_FILE = test::Concat({test::TapRecord(test::DataBlockData(0xFF, 30))});

TEST(TapeOpener, TildeCountsOnlyInTheFileName) {
  EXPECT_TRUE(FileNameHasTilde("C:\\tapes\\game~1.tzx"));
  EXPECT_TRUE(FileNameHasTilde("/tmp/saved~.tap"));
  EXPECT_FALSE(FileNameHasTilde("C:\\PROGRA~1\\game.tzx"));
  EXPECT_FALSE(FileNameHasTilde("/home/x/snap~shots/game.tzx"));
  EXPECT_FALSE(FileNameHasTilde("game.tzx"));
}

// The plug-in as the host holds it, with its recorder window created.
class OpenMedia : public ::testing::Test {
 protected:
  void SetUp() override {
    void* out = nullptr;
    ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IMediaHandler, &out));
    media = static_cast<IMediaHandler*>(out);
    plugin = static_cast<TapePlugin*>(media);
    ASSERT_EQ(RESULT_OK, media->QueryInterface(IID_IToolWindow, &out));
    toolWindow = static_cast<IToolWindow*>(out);
    ASSERT_EQ(RESULT_OK, toolWindow->Create(nullptr, &shell));
    ASSERT_NE(nullptr, plugin->RecorderWindow());
  }
  void TearDown() override {
    if (plugin->RecorderWindow() != nullptr) platform::DestroyMessageWindow(plugin->RecorderWindow()->Window());
    if (toolWindow != nullptr) toolWindow->Release();
    if (media != nullptr) media->Release();
  }
  HResult Open(const std::string& name, const Bytes& bytes) {
    lastPath = folder.Write(name, bytes);
    return media->OpenMedia(lastPath.c_str(), &host, 0);
  }
  std::uint32_t RecordDisabled() const { return plugin->RecorderWindow()->recordDisabled; }

  test::ScratchFolder folder;
  test::FakeHostShell shell;
  test::FakeMediaHost host;
  IMediaHandler* media = nullptr;
  IToolWindow* toolWindow = nullptr;
  TapePlugin* plugin = nullptr;
  std::string lastPath;
};

TEST_F(OpenMedia, TildeInTheFileNameForbidsRecording) {
  const struct {
    const char* name;
    const Bytes* file;
    std::uint32_t recordDisabled;
  } cases[] = {
      {"saved.tzx", &TZX_FILE, 0}, {"saved~1.tzx", &TZX_FILE, 1},    {"snap~shots/saved.tzx", &TZX_FILE, 0},
      {"saved.tap", &TAP_FILE, 0}, {"extracted~.tap", &TAP_FILE, 1},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(RESULT_OK, Open(c.name, *c.file)) << c.name;
    EXPECT_EQ(c.recordDisabled, RecordDisabled()) << c.name;
  }
}

// A sampled file replaces the tape that was there, as any other format does.
TEST_F(OpenMedia, WavOverALoadedTapeReplacesIt) {
  ASSERT_EQ(RESULT_OK, Open("game.tzx", TZX_FILE));
  plugin->Deck().GoToBlock(1);
  const Bytes samples(30000, 0x80);  // two pieces at 11025 Hz
  const Bytes wav =
      testing::WaveFile(testing::Join({testing::WaveFormatChunk(1, 1, 11025, 8), testing::RiffChunk("data", samples)}));
  ASSERT_EQ(RESULT_OK, Open("game.wav", wav));
  const TapeBlockList& tape = plugin->BlockList();
  ASSERT_EQ(2, tape.GetCount());
  for (std::int32_t i = 0; i < 2; ++i) {
    SampledPiece piece;
    EXPECT_TRUE(DecodeSampledPiece(*tape.GetBlock(i), &piece)) << i;
  }
  EXPECT_EQ(0u, tape.recordable);
  EXPECT_EQ(0, plugin->Deck().blockIndex);
  EXPECT_EQ(lastPath, plugin->RecorderWindow()->tapePath);
  EXPECT_EQ(2u, host.opened.size());
}

}  // namespace
}  // namespace reelbox

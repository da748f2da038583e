#include <gtest/gtest.h>

#include <string>

#include "contract/plugin_interfaces.h"
#include "fake_host_objects.h"
#include "platform/window_messages.h"
#include "shell/tape_plugin.h"
#include "tape/tape_opener.h"
#include "tape_files.h"
#include "ui/cassette_recorder.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox {
namespace {

using test::Bytes;

const Bytes TZX_FILE = test::Concat({test::TzxHeader(), test::Standard(test::DataBlockData(0xFF, 30)), test::Pause(0)});
const Bytes TAP_FILE = test::Concat({test::TapRecord(test::DataBlockData(0xFF, 30))});

TEST(TapeOpener, ExtensionIsTheTextFromTheLastDot) {
  const struct {
    const char* path;
    TapeFormat format;
  } cases[] = {
      {"game.tap", TapeFormat::Tap},
      {"GAME.TZX", TapeFormat::Tzx},
      {"x.Blk", TapeFormat::Tap},
      {"a.b.csw", TapeFormat::Csw},
      {"s.voc", TapeFormat::Voc},
      {"s.WAV", TapeFormat::Wav},
      {"game.tzx.bak", TapeFormat::Unknown},
      {"dir.tzx/game", TapeFormat::Unknown},
      {"tzx", TapeFormat::Unknown},
      {".tap", TapeFormat::Tap},
      {"game.", TapeFormat::Unknown},
      {"", TapeFormat::Unknown},
      {"game.tapx", TapeFormat::Unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(c.format, FormatFromPath(c.path)) << c.path;
}

TEST(TapeOpener, TildeCountsOnlyInTheFileName) {
  EXPECT_TRUE(FileNameHasTilde("C:\\tapes\\game~1.tzx"));
  EXPECT_TRUE(FileNameHasTilde("/tmp/saved~.tap"));
  EXPECT_FALSE(FileNameHasTilde("C:\\PROGRA~1\\game.tzx"));
  EXPECT_FALSE(FileNameHasTilde("/home/x/snap~shots/game.tzx"));
  EXPECT_FALSE(FileNameHasTilde("game.tzx"));
}

// The plug-in as the host holds it, with its recorder window created.
class OpenMedia : public testing::Test {
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

TEST_F(OpenMedia, ExtensionInCapitalsOpensWithItsReader) {
  EXPECT_EQ(RESULT_OK, Open("GAME.TZX", TZX_FILE));
  EXPECT_EQ(2, plugin->BlockList().GetCount());
  EXPECT_NE(nullptr, plugin->BlockList().MappedView());
  EXPECT_EQ(RESULT_OK, Open("GAME.Blk", TAP_FILE));
  EXPECT_EQ(1, plugin->BlockList().GetCount());
  EXPECT_EQ(nullptr, plugin->BlockList().MappedView());
}

TEST_F(OpenMedia, SuccessTellsTheHostAndTheWindow) {
  ASSERT_EQ(RESULT_OK, Open("game.tzx", TZX_FILE));
  EXPECT_EQ(std::vector<std::string>{lastPath}, host.opened);
  EXPECT_EQ(std::vector<std::uint32_t>{0}, host.notified);
  EXPECT_EQ(lastPath, plugin->RecorderWindow()->tapePath);
  EXPECT_EQ(1u, plugin->RecorderWindow()->tapeInserted);
}

TEST_F(OpenMedia, BackupCopyIsNotATapeAndLeavesTheCurrentOne) {
  ASSERT_EQ(RESULT_OK, Open("game.tzx", TZX_FILE));
  const TapeBlock* first = plugin->BlockList().GetBlock(0);
  const std::string tapePath = plugin->RecorderWindow()->tapePath;
  EXPECT_EQ(TAPE_E_UNKNOWNTYPE, Open("game.tzx.bak", TZX_FILE));
  EXPECT_EQ(first, plugin->BlockList().GetBlock(0));
  EXPECT_EQ(2, plugin->BlockList().GetCount());
  EXPECT_EQ(tapePath, plugin->RecorderWindow()->tapePath);
  EXPECT_EQ(1u, host.opened.size());
}

TEST_F(OpenMedia, FailedLoadTellsNobody) {
  Bytes broken = TZX_FILE;
  broken[3] = 'X';
  EXPECT_EQ(TAPE_E_BADFORMAT, Open("broken.tzx", broken));
  EXPECT_EQ(TAPE_E_BADFORMAT, Open("empty-after-header.tzx", test::TzxHeader()));
  EXPECT_EQ(static_cast<HResult>(0x80070002u),
            media->OpenMedia((folder.Path() / "gone.tap").string().c_str(), &host, 0));
  EXPECT_TRUE(host.opened.empty());
  EXPECT_TRUE(host.notified.empty());
  EXPECT_EQ(0u, plugin->RecorderWindow()->tapeInserted);
}

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

TEST_F(OpenMedia, OpensWithoutAMediaHost) {
  lastPath = folder.Write("game.tap", TAP_FILE);
  EXPECT_EQ(RESULT_OK, media->OpenMedia(lastPath.c_str(), nullptr, 0));
  EXPECT_EQ(1, plugin->BlockList().GetCount());
}

}  // namespace
}  // namespace reelbox

// Opening a tape file through the plug-in's media handler.
#include <gtest/gtest.h>

#include <string>

#include "contract/plugin_interfaces.h"
#include "host/media_host.h"
#include "shell/tape_plugin.h"
#include "tape/tape_opener.h"
#include "tape_files.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox {
namespace {

using test::Bytes;

TEST(TapeOpener, TildeCountsOnlyInTheFileName) {
  EXPECT_TRUE(FileNameHasTilde("C:\\tapes\\game~1.tzx"));
  EXPECT_TRUE(FileNameHasTilde("/tmp/saved~.tap"));
  EXPECT_FALSE(FileNameHasTilde("C:\\PROGRA~1\\game.tzx"));
  EXPECT_FALSE(FileNameHasTilde("/home/x/snap~shots/game.tzx"));
  EXPECT_FALSE(FileNameHasTilde("game.tzx"));
}

// A sampled file replaces the tape that was there, as any other format does.
TEST(OpenMedia, WavOverALoadedTapeReplacesIt) {
  void* out = nullptr;
  ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IMediaHandler, &out));
  auto* media = static_cast<IMediaHandler*>(out);
  TapePlugin& plugin = *static_cast<TapePlugin*>(media);
  test::ScratchFolder folder;
  host::MediaHost host(nullptr, nullptr, MODEL_48K);
  const Bytes tzx =
      test::Concat({test::TzxHeader(), test::StandardBlock(1000, test::DataBlockData(0xFF, 30)), test::PauseBlock(0)});
  ASSERT_EQ(RESULT_OK, media->OpenMedia(folder.Write("game.tzx", tzx).c_str(), &host, 0));
  plugin.Deck().GoToBlock(1);

  const Bytes samples(30000, 0x80);  // two pieces at 11025 Hz
  const Bytes wav =
      test::WaveFile(test::Concat({test::WaveFormatChunk(1, 1, 11025, 8), test::RiffChunk("data", samples)}));
  const std::string path = folder.Write("game.wav", wav);
  ASSERT_EQ(RESULT_OK, media->OpenMedia(path.c_str(), &host, 0));
  EXPECT_EQ(2u, test::PiecesOf(plugin.BlockList()).size());
  EXPECT_EQ(0u, plugin.BlockList().recordable);
  EXPECT_EQ(0, plugin.Deck().blockIndex);
  EXPECT_EQ(path, host.OpenedPaths().back());
  media->Release();
}

}  // namespace
}  // namespace reelbox

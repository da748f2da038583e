// End to end on the real ROM: tapes typed in with LOAD "" load through the ROM
// loader, with the plug-in playing them from its shared library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/basic_program.h"
#include "host/load_session.h"
#include "host/tap_image.h"
#include "host_fixture.h"

namespace reelbox::host {
namespace {

constexpr std::uint16_t MARKER_ADDRESS = 30000;
constexpr std::uint8_t MARKER = 123;

// A tape file that lives as long as the test.
class TapeFile {
 public:
  explicit TapeFile(const TapImage& image) {
    char name[] = "/tmp/reelbox-load-test-XXXXXX.tap";
    const int fd = mkstemps(name, 4);
    if (fd >= 0) close(fd);
    path_ = name;
    image.Save(path_);
  }
  ~TapeFile() { std::remove(path_.c_str()); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A program that starts itself, pokes a marker, prints and sets the border.
TapImage MarkerProgramTape() {
  std::vector<std::uint8_t> program;
  TokeniseProgram({"10 POKE 30000,123: BORDER 4", "20 PRINT AT 3,4;\"LOADED\""}, &program);
  TapImage tape;
  tape.AddProgram("marker", program, 10);
  return tape;
}

struct LoadResult {
  LoadReport report;
  std::vector<FullSpeedRequest> fullSpeed;
  std::uint64_t playFrame = 0;
  std::uint64_t stopFrame = 0;
  bool ranToEnd = false;
  std::int32_t block = 0;
};

class TapeLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!RomAvailable()) GTEST_SKIP() << "no ROM";
    host = std::make_unique<ReferenceHost>(TestHostOptions());
  }

  // Settings are the plug-in's own, found when its window is created.
  void Set(const char* name, std::uint32_t value) { host->Settings().SetDword("Plugins\\Reelbox", name, value); }

  LoadResult Load(const std::string& path, double maxSeconds = 120) {
    EXPECT_EQ(host->Start(), RESULT_OK) << host->Error();
    EXPECT_TRUE(host->Attached());
    LoadOptions options;
    options.tapePath = path;
    options.maxSeconds = maxSeconds;
    LoadResult result;
    result.report = RunLoad(*host, options);
    result.fullSpeed = host->Machine().FullSpeedRequests();
    result.playFrame = host->Tape().FirstPlayFrame();
    result.stopFrame = host->Tape().LastStopFrame();
    result.ranToEnd = host->Tape().RanToEnd();
    result.block = host->Tape().Block();
    return result;
  }

  std::uint8_t Peek(std::uint16_t address) { return host->Cpu().Peek(address); }

  std::unique_ptr<ReferenceHost> host;
};

TEST_F(TapeLoading, BasicProgramLoadsThroughTheRomAtNormalSpeed) {
  TapeFile tape(MarkerProgramTape());
  // Fast loading off, and the input recorder recording, which rules out
  // every short cut through the loader.
  Set("Fast Load", 0);
  Set("FlashLoad", 0);
  host->Registry().SetDword("replix.dll\\RZX_PLAYING", 0);
  host->Registry().SetDword("replix.dll\\RZX_RECORDING", 1);
  const LoadResult result = Load(tape.Path());
  EXPECT_EQ(result.report.exitReason, "tape_end");
  EXPECT_EQ(result.report.blocksPlayed, 2u);
  EXPECT_EQ(Peek(MARKER_ADDRESS), MARKER);
  EXPECT_TRUE(CharacterAt(*host, 3, 4, 'L'));
  EXPECT_TRUE(CharacterAt(*host, 3, 9, 'D'));
  EXPECT_EQ(host->Cpu().Border(), 4);
  // Played as sound: the header's 8064 and the data's 3220 pilot pulses of
  // 2168 T-states alone last 6.99 s, and the pause after the header 1 s.
  EXPECT_GT(result.report.tapeSeconds, 8.0);
  EXPECT_LT(result.report.tapeSeconds, 12.0);
}

TEST_F(TapeLoading, FastLoadingAsksForFullSpeedWhileTheTapePlays) {
  TapeFile tape(MarkerProgramTape());
  const LoadResult result = Load(tape.Path());
  EXPECT_EQ(Peek(MARKER_ADDRESS), MARKER);
  bool onWhilePlaying = false;
  for (const FullSpeedRequest& request : result.fullSpeed) {
    onWhilePlaying |= request.on == 1 && request.frame >= result.playFrame && request.frame <= result.stopFrame;
  }
  EXPECT_TRUE(onWhilePlaying);
  ASSERT_FALSE(result.fullSpeed.empty());
  EXPECT_EQ(result.fullSpeed.back().on, 0u) << "full speed ends with the tape";
  EXPECT_FALSE(host->Machine().FullSpeed());
  // Both blocks went straight into memory through the ROM loader.
  EXPECT_LT(result.report.tapeSeconds, 1.0);
  EXPECT_EQ(result.report.blocksPlayed, 2u);
}

TEST_F(TapeLoading, RomLoadedScreenArrivesInScreenMemory) {
  const std::string path = std::string(REELBOX_SHARED_TAPES) + "/rom-loaded/rustzx-simple_tape.tap";
  std::ifstream file(path, std::ios::binary);
  if (!file) GTEST_SKIP() << "no " << path;
  const std::vector<std::uint8_t> tap((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The fourth record holds the screen: 6912 bytes after its length and flag.
  std::size_t at = 0;
  for (int record = 0; record < 3; ++record) at += 2 + (tap[at] | tap[at + 1] << 8);
  ASSERT_EQ(tap[at] | tap[at + 1] << 8, 6914);
  const std::uint8_t* screen = &tap[at + 3];

  const LoadResult result = Load(path);
  EXPECT_EQ(result.report.exitReason, "tape_end");
  // BASIC's closing report overwrites the bottom two character rows.
  for (int y = 0; y < 176; ++y) {
    const int offset = ((y & 0xC0) << 5) | ((y & 7) << 8) | ((y & 0x38) << 2);
    ASSERT_EQ(0, std::memcmp(host->Cpu().Memory() + 0x4000 + offset, screen + offset, 32)) << "pixel line " << y;
  }
  EXPECT_EQ(0, std::memcmp(host->Cpu().Memory() + 0x5800, screen + 6144, 22 * 32)) << "attributes";
}

TEST_F(TapeLoading, AutoPlayStartsAtLoadAndAutoStopWhenTheTapeIsNoLongerRead) {
  // After the program a block that nothing loads: BASIC reads only the
  // keyboard while its data plays.
  TapImage image = MarkerProgramTape();
  image.AddCode("unread", std::vector<std::uint8_t>(3000, 0x55), 40000);
  TapeFile tape(image);
  const LoadResult result = Load(tape.Path(), 60);
  EXPECT_EQ(result.report.playedBy, PlayedBy::AutoPlay);
  EXPECT_EQ(result.report.exitReason, "loaded");
  EXPECT_TRUE(result.report.tapeStopped);
  EXPECT_FALSE(result.ranToEnd);
  EXPECT_EQ(result.block, 2) << "stopped in the header of the unread block";
  EXPECT_EQ(Peek(MARKER_ADDRESS), MARKER);
  EXPECT_NE(Peek(40000), 0x55);
  // Typing LOAD "" took 70 frames after the 100 of the start.
  EXPECT_GT(result.playFrame, 160u);
}

TEST_F(TapeLoading, DemonstrationTapeDrawsItsScreen) {
  TapeFile tape(DemoTape());
  const LoadResult result = Load(tape.Path());
  EXPECT_EQ(result.report.exitReason, "tape_end");
  const std::string title = "REELBOX DEMO TAPE";
  for (std::size_t i = 0; i < title.size(); ++i) EXPECT_TRUE(CharacterAt(*host, 1, 7 + static_cast<int>(i), title[i]));
  EXPECT_EQ(host->Cpu().Border(), 1);
  EXPECT_EQ(Peek(0x5800 + 4 * 32 + 3) & 0x38, 0 << 3) << "the first colour bar has black paper";
  EXPECT_EQ(Peek(0x5800 + 11 * 32 + 3) & 0x38, 7 << 3) << "the last colour bar has white paper";
}

TEST_F(TapeLoading, NothingPlaysWithoutALoader) {
  TapeFile tape(MarkerProgramTape());
  ASSERT_EQ(host->Start(), RESULT_OK) << host->Error();
  host->RunFrames(100);
  ASSERT_EQ(host->OpenTape(tape.Path()), RESULT_OK);
  host->Type("PRINT 7\n");
  host->RunFrames(300);
  EXPECT_FALSE(host->Tape().EverPlayed());
  EXPECT_TRUE(CharacterAt(*host, 0, 0, '7'));
}

}  // namespace
}  // namespace reelbox::host

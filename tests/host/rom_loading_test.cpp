// End to end on the real ROM: tapes typed in with LOAD "", VERIFY and LOAD ""
// CODE play through the ROM loader, at the tape's own pace or, fast-loaded,
// straight into memory; auto play and auto stop follow the loader.
#include <algorithm>
#include <memory>

#include "host/basic_program.h"
#include "host/load_session.h"
#include "host/tap_image.h"
#include "host_fixture.h"

namespace reelbox::host {
namespace {

constexpr std::uint16_t MARKER_ADDRESS = 30000;
constexpr std::uint8_t MARKER = 123;

Bytes MarkerProgram() {
  Bytes program;
  TokeniseProgram({"10 POKE 30000,123: BORDER 4", "20 PRINT AT 3,4;\"LOADED\""}, &program);
  return program;
}

TapImage MarkerTape(std::uint16_t autostart = 10) {
  TapImage image;
  image.AddProgram("marker", MarkerProgram(), autostart);
  return image;
}

Bytes Pattern(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

class RomLoading : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_ROM(); }

  // Boots, opens the tape and types the command; false if anything failed.
  bool Begin(const TapImage& image, const std::string& command) {
    tape = folder.Write("tape.tap", image.Bytes());
    if (Failed(host->Start()) || !host->Attached()) return false;
    host->RunFrames(100);
    return Succeeded(host->OpenTape(tape)) && host->Type(command);
  }
  LoadReport Load(const TapImage& image, double maxSeconds = 120) {
    tape = folder.Write("tape.tap", image.Bytes());
    EXPECT_EQ(RESULT_OK, host->Start()) << host->Error();
    LoadOptions options;
    options.tapePath = tape;
    options.maxSeconds = maxSeconds;
    return RunLoad(*host, options);
  }
  bool MarkerSet() { return host->Cpu().Peek(MARKER_ADDRESS) == MARKER; }

  std::unique_ptr<ReferenceHost> host = std::make_unique<ReferenceHost>(TestHostOptions());
  ScratchFolder folder;
  std::string tape;
};

TEST_F(RomLoading, PlayedAtTheTapesOwnPaceWithEveryShortCutRuledOut) {
  // Fast loading off, and the input recorder recording.
  SetDeckOption(*host, "Fast Load", 0);
  SetDeckOption(*host, "FlashLoad", 0);
  host->Registry().SetDword("replix.dll\\RZX_RECORDING", 1);
  const LoadReport report = Load(MarkerTape());
  EXPECT_EQ("tape_end", report.exitReason);
  EXPECT_EQ(2u, report.blocksPlayed);
  EXPECT_TRUE(MarkerSet());
  EXPECT_TRUE(CharacterAt(*host, 3, 4, 'L') && CharacterAt(*host, 3, 9, 'D'));
  EXPECT_EQ(4, host->Cpu().Border());
  // The header's 8064 and the data's 3220 pilot pulses of 2168 T-states
  // alone last 6.99 s, and the pause after the header 1 s.
  EXPECT_GT(report.tapeSeconds, 8.0);
  EXPECT_LT(report.tapeSeconds, 12.0);
}

TEST_F(RomLoading, FastLoadedBlocksGoStraightIntoMemoryAtFullSpeed) {
  const TapImage image = MarkerTape();
  ASSERT_TRUE(Begin(image, "LOAD \"\"\n"));
  ArrivalLog returns(*host, ROM_LOAD_RETURN, true);
  ASSERT_TRUE(RunUntilTapeStops(*host, 30));
  ASSERT_EQ(2u, returns.arrivals.size());
  const std::vector<Bytes> bodies = TapBodies(image.Bytes());
  for (std::size_t i = 0; i < 2; ++i) {
    const Arrival& arrival = returns.arrivals[i];
    const auto start = arrival.memory.begin() + (arrival.ix - bodies[i].size());
    EXPECT_EQ(bodies[i], Bytes(start, start + static_cast<long>(bodies[i].size()))) << "block " << i << ", below IX";
    EXPECT_EQ(0, arrival.de);
    EXPECT_EQ(1, arrival.af & 1) << "carry: loaded";
    // Within a frame or two of the deck starting it; played, the header's tone alone lasts 5 s.
    EXPECT_LT(Seconds(arrival.time - PlayTime(*host)), 0.1);
  }
  const std::vector<FullSpeedRequest>& fullSpeed = host->Machine().FullSpeedRequests();
  EXPECT_TRUE(std::any_of(fullSpeed.begin(), fullSpeed.end(), [this](const FullSpeedRequest& request) {
    return request.on == 1 && request.frame >= host->Tape().FirstPlayFrame() &&
           request.frame <= host->Tape().LastStopFrame();
  }));
  EXPECT_FALSE(host->Machine().FullSpeed()) << "full speed ends with the tape";
  host->RunFrames(50);
  EXPECT_TRUE(MarkerSet());
}

// VERIFY compares, it does not load: the data block plays (pilot skip and byte
// flash loading still shorten it) and nothing is written, so a byte changed
// after loading makes the ROM report a tape loading error.
TEST_F(RomLoading, VerifyWritesNothing) {
  SetDeckOption(*host, "Stop At End Of Tape", 0);  // auto play may start the rewound tape again
  ASSERT_TRUE(Begin(MarkerTape(NO_AUTOSTART), "LOAD \"\"\n"));
  ASSERT_TRUE(RunUntilTapeStops(*host, 30));
  const std::uint16_t prog = Word(*host, SYSVAR_PROG);
  const Bytes program = MarkerProgram();
  ASSERT_EQ(program, MemoryAt(*host, prog, program.size()));
  const auto quote =
      static_cast<std::uint16_t>(prog + (std::find(program.begin(), program.end(), 'L') - program.begin()));
  host->Cpu().Poke(quote, 'X');

  ArrivalLog returns(*host, ROM_LOAD_RETURN);
  host->Type("VERIFY \"\"\n");
  ASSERT_TRUE(RunUntilTapeStops(*host, 30));
  ASSERT_EQ(2u, returns.arrivals.size());
  EXPECT_EQ(1, returns.arrivals[0].af & 1) << "the header is loaded, even by VERIFY";
  EXPECT_EQ(0, returns.arrivals[1].af & 1) << "the data differs from memory";
  EXPECT_EQ('X', host->Cpu().Peek(quote));
  EXPECT_NE(REPORT_OK, host->Cpu().Peek(SYSVAR_ERR_NR));
  // Played: the ROM lets a quarter of a second of tone pass before it looks for the leader.
  EXPECT_GT(Seconds(returns.arrivals[1].time - returns.arrivals[0].time), 0.25);
}

TEST_F(RomLoading, ABlockWithAnotherFlagIsPassedOver) {
  TapImage image;
  image.AddBlock(0xFF, Pattern(300));  // headerless: LOAD "" looks for a header
  image.AddProgram("marker", MarkerProgram(), 10);
  ASSERT_TRUE(Begin(image, "LOAD \"\"\n"));
  ArrivalLog returns(*host, ROM_LOAD_RETURN);
  ASSERT_TRUE(RunUntilTapeStops(*host, 30));
  ASSERT_EQ(2u, returns.arrivals.size()) << "the headerless block never reached the ROM";
  EXPECT_LT(Seconds(returns.arrivals[1].time - PlayTime(*host)), 0.1);
  host->RunFrames(50);
  EXPECT_TRUE(MarkerSet());
}

// A request of 963 bytes is never loaded whole; it still loads, played.
TEST_F(RomLoading, CodeOfEveryLengthLoadsAndOnlyWholeBlocksAtOnce) {
  for (const std::size_t length : {962u, 963u, 964u}) {
    SCOPED_TRACE(length);
    host = std::make_unique<ReferenceHost>(TestHostOptions());
    TapImage image;
    image.AddCode("code", Pattern(length), 40000);
    ASSERT_TRUE(Begin(image, "LOAD \"\" CODE\n"));
    ArrivalLog returns(*host, ROM_LOAD_RETURN);
    ASSERT_TRUE(RunUntilTapeStops(*host, 60));
    ASSERT_EQ(2u, returns.arrivals.size());
    EXPECT_EQ(1, returns.arrivals[1].af & 1);
    EXPECT_EQ(Pattern(length), MemoryAt(*host, 40000, length));
    const double dataSeconds = Seconds(returns.arrivals[1].time - returns.arrivals[0].time);
    EXPECT_EQ(length != 963, dataSeconds < 0.1) << dataSeconds;
  }
}

TEST_F(RomLoading, AutoPlayStartsAtLoadAndAutoStopWhenTheTapeIsNoLongerRead) {
  // After the program a block that nothing loads: BASIC reads only the keyboard.
  TapImage image = MarkerTape();
  image.AddCode("unread", Bytes(3000, 0x55), 40000);
  const LoadReport report = Load(image, 60);
  EXPECT_EQ(PlayedBy::AutoPlay, report.playedBy);
  EXPECT_EQ("loaded", report.exitReason);
  EXPECT_TRUE(report.tapeStopped);
  EXPECT_FALSE(host->Tape().RanToEnd());
  EXPECT_EQ(2, host->Tape().Block()) << "stopped in the header of the unread block";
  EXPECT_TRUE(MarkerSet());
  EXPECT_NE(0x55, host->Cpu().Peek(40000));
  EXPECT_GT(host->Tape().FirstPlayFrame(), 160u);  // typing LOAD "" took 70 frames after the 100 of the start

  host->Type("PRINT 7\n");  // no loader: the tape stays stopped
  const std::uint32_t starts = host->Tape().PlayStarts();
  host->RunFrames(300);
  EXPECT_EQ(starts, host->Tape().PlayStarts());
}

// How soon the shared ROM-loaded tapes' programs start, flash-loaded and played.
TEST(SharedRomTapes, StartTheirProgramWithinHalfASecondWhenFlashLoaded) {
  REQUIRE_ROM();
  const struct {
    const char* file;
    std::int32_t programStart;  // first instruction of the loaded code; -1: the last return from LD-BYTES
  } tapes[] = {{"rom-loaded/rustzx-simple_tape.tap", -1}, {"rom-loaded/z80test-z80full.tap", 0x8000}};
  for (const auto& tape : tapes) {
    REQUIRE_FILE(SharedTape(tape.file));
    double seconds[2];
    for (const FastOptions& options : {ALL_ON, ALL_OFF}) {
      ReferenceHost host(TestHostOptions());
      ApplyOptions(host, options);
      ASSERT_EQ(RESULT_OK, host.Start());
      ArrivalLog returns(host, ROM_LOAD_RETURN);
      std::uint64_t started = 0;
      if (tape.programStart >= 0) {
        host.Machine().WatchExecution(static_cast<std::uint16_t>(tape.programStart), [&] {
          if (started == 0) started = Now(host);
        });
      }
      LoadOptions load;
      load.tapePath = SharedTape(tape.file);
      load.untilTapeEnd = true;
      EXPECT_EQ("tape_end", RunLoad(host, load).exitReason);
      if (tape.programStart < 0 && !returns.arrivals.empty()) started = returns.arrivals.back().time;
      ASSERT_NE(0u, started);
      seconds[options.fastLoad] = Seconds(started - PlayTime(host));
    }
    std::printf("%-40s play to program: %.3f s flash-loaded, %.2f s played\n", tape.file, seconds[1], seconds[0]);
    EXPECT_LT(seconds[1], 0.5);
    EXPECT_GT(seconds[0], 10.0);
  }
}

}  // namespace
}  // namespace reelbox::host

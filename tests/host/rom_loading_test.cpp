// End to end on the real ROM: tapes typed in with LOAD "", VERIFY and LOAD ""
// CODE play through the ROM loader, at the tape's own pace or, fast-loaded,
// straight into memory; auto play and auto stop follow the loader.
#include <algorithm>
#include <cstdlib>
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
    if (Failed(host->Start()) || !host->Attached()) return false;
    host->RunFrames(100);
    return Succeeded(host->OpenTape(folder.Write("tape.tap", image.Bytes()))) && host->Type(command);
  }
  bool MarkerSet() { return host->Cpu().Peek(MARKER_ADDRESS) == MARKER; }

  std::unique_ptr<ReferenceHost> host = std::make_unique<ReferenceHost>(TestHostOptions());
  ScratchFolder folder;
};

// Flash-loaded, each block LD-BYTES asks for returns with carry, DE 0 and its
// bytes below IX within a frame or two of the one before (played, a header's
// tone alone lasts 5 s), at full speed; a block with another flag is passed
// over; a request of 963 bytes is never loaded whole and still loads, played.
TEST_F(RomLoading, FlashLoadedBlocksGoStraightIntoMemoryAtFullSpeed) {
  TapImage afterHeaderless;
  afterHeaderless.AddBlock(0xFF, Pattern(300));  // LOAD "" looks for a header
  afterHeaderless.AddProgram("marker", MarkerProgram(), 10);
  const auto code = [](std::size_t length) {
    TapImage image;
    image.AddCode("code", Pattern(length), 40000);
    return image;
  };
  const struct {
    const char* what;
    TapImage image;
    const char* command;
    std::size_t passedOver;  // records before the first one loaded
    bool dataFlashLoaded;
  } cases[] = {
      {"program", MarkerTape(), "LOAD \"\"\n", 0, true},
      {"after a headerless block", afterHeaderless, "LOAD \"\"\n", 1, true},
      {"962 bytes", code(962), "LOAD \"\" CODE\n", 0, true},
      {"963 bytes", code(963), "LOAD \"\" CODE\n", 0, false},
      {"964 bytes", code(964), "LOAD \"\" CODE\n", 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host = std::make_unique<ReferenceHost>(TestHostOptions());
    ASSERT_TRUE(Begin(c.image, c.command));
    ArrivalLog returns(*host, ROM_LOAD_RETURN, true);
    ASSERT_TRUE(RunUntilTapeStops(*host, 60));
    std::vector<Bytes> bodies = TapBodies(c.image.Bytes());
    bodies.erase(bodies.begin(), bodies.begin() + static_cast<long>(c.passedOver));
    ASSERT_EQ(bodies.size(), returns.arrivals.size());
    std::uint64_t previous = PlayTime(*host);
    for (std::size_t i = 0; i < bodies.size(); ++i) {
      const Arrival& arrival = returns.arrivals[i];
      const auto start = arrival.memory.begin() + (arrival.ix - bodies[i].size());
      EXPECT_EQ(bodies[i], Bytes(start, start + static_cast<long>(bodies[i].size()))) << "block " << i;
      EXPECT_EQ(0, arrival.de);
      EXPECT_EQ(1, arrival.af & 1) << "carry: loaded";
      EXPECT_EQ(i == 0 || c.dataFlashLoaded, Seconds(arrival.time - previous) < 0.1) << "block " << i;
      previous = arrival.time;
    }
    const std::vector<FullSpeedRequest>& fullSpeed = host->Machine().FullSpeedRequests();
    EXPECT_TRUE(std::any_of(fullSpeed.begin(), fullSpeed.end(), [this](const FullSpeedRequest& request) {
      return request.on == 1 && request.frame >= host->Tape().FirstPlayFrame() &&
             request.frame <= host->Tape().LastStopFrame();
    }));
    EXPECT_FALSE(host->Machine().FullSpeed()) << "full speed ends with the tape";
    host->RunFrames(50);
    EXPECT_EQ(c.image.Bytes() == MarkerTape().Bytes() || c.passedOver > 0, MarkerSet());
  }
}

// VERIFY compares, it does not load: the data block plays (pilot skip and byte
// flash loading still shorten it) and nothing is written, so a byte changed
// after loading makes the ROM report a tape loading error.
TEST_F(RomLoading, VerifyWritesNothing) {
  SetDeckOption(*host, "Stop At End Of Tape",
                0);  // auto play may start the rewound tape again
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
  // Played: the ROM lets a quarter of a second of tone pass before it looks for
  // the leader.
  EXPECT_GT(Seconds(returns.arrivals[1].time - returns.arrivals[0].time), 0.25);
}

TEST_F(RomLoading, AutoPlayStartsAtLoadAndAutoStopWhenTheTapeIsNoLongerRead) {
  // After the program a block that nothing loads: BASIC reads only the
  // keyboard.
  TapImage image = MarkerTape();
  image.AddCode("unread", Bytes(3000, 0x55), 40000);
  ASSERT_TRUE(Begin(image, "LOAD \"\"\n"));
  ASSERT_TRUE(RunUntilTapeStops(*host, 60));  // nothing pressed Play
  EXPECT_FALSE(host->Tape().RanToEnd());
  EXPECT_EQ(2, host->Tape().Block()) << "stopped in the header of the unread block";
  EXPECT_TRUE(MarkerSet());
  EXPECT_NE(0x55, host->Cpu().Peek(40000));
  EXPECT_GT(host->Tape().FirstPlayFrame(),
            160u);  // typing LOAD "" took 70 frames after the 100 of the start

  host->Type("PRINT 7\n");  // no loader: the tape stays stopped
  const std::uint32_t starts = host->Tape().PlayStarts();
  host->RunFrames(300);
  EXPECT_EQ(starts, host->Tape().PlayStarts());
}

// How soon the shared ROM-loaded tapes' last blocks are in, flash-loaded and
// played at the tape's own pace with every short cut ruled out (fast loading
// off, the input recorder recording).
TEST(SharedRomTapes, LoadWithinHalfASecondWhenFlashLoaded) {
  REQUIRE_ROM();
  for (const char* file : {"rom-loaded/rustzx-simple_tape.tap", "rom-loaded/z80test-z80full.tap"}) {
    REQUIRE_FILE(SharedTape(file));
    double seconds[2];
    for (const FastOptions& options : {ALL_ON, ALL_OFF}) {
      ReferenceHost host(TestHostOptions());
      ApplyOptions(host, options);
      host.Registry().SetDword("replix.dll\\RZX_RECORDING", options.fastLoad == 0);
      ASSERT_EQ(RESULT_OK, host.Start());
      ArrivalLog returns(host, ROM_LOAD_RETURN);
      LoadOptions load;
      load.tapePath = SharedTape(file);
      load.untilTapeEnd = true;
      EXPECT_EQ("tape_end", RunLoad(host, load).exitReason);
      ASSERT_FALSE(returns.arrivals.empty());
      EXPECT_EQ(1, returns.arrivals.back().af & 1) << "carry: loaded";
      seconds[options.fastLoad] = Seconds(returns.arrivals.back().time - PlayTime(host));
    }
    std::printf("%-40s play to last block: %.3f s flash-loaded, %.2f s played\n", file, seconds[1], seconds[0]);
    EXPECT_LT(seconds[1], 0.5);
    EXPECT_GT(seconds[0], 10.0);
  }
}

// One program saved as a TAP file, converted by outside tools into CSW, WAV
// and VOC recordings, loads from every one of them.
TEST(SampledTapes, ProgramLoadsFromTapTheToolsCswWavAndVocButNotFromAFullScaleWav) {
  REQUIRE_ROM();
  for (const char* tool : {"tapeconv", "tape2wav", "sox"}) {
    if (std::system(("command -v " + std::string(tool) + " > /dev/null 2>&1").c_str()) != 0) {
      GTEST_SKIP() << tool << " is not installed (fuse-emulator-utils, sox)";
    }
  }
  // A BASIC loader that loads a block of code and marks memory once it has it.
  Bytes code, program;
  for (std::size_t i = 0; i < 1500; ++i) code.push_back(static_cast<std::uint8_t>((i * 151 + 7) ^ (i >> 3)));
  TokeniseProgram({"10 LOAD \"\"CODE", "20 POKE 30000,123"}, &program);
  TapImage tap;
  tap.AddProgram("sampled", program, 10);
  tap.AddCode("code", code, 40000);
  const ScratchFolder folder;
  folder.Write("program.tap", tap.Bytes());
  // tapeconv writes version 2 (Z-RLE) CSW files. tape2wav writes 8-bit samples
  // at full scale, 0x00 and 0xFF, which both read as low (the deck switches at
  // the centre, 0 counting as low): sox halves them to 0x40 and 0xC0 first. The
  // VOC file is sox's 8-bit unsigned rendering of that (43478 Hz by its time
  // constant).
  for (const char* command : {"tapeconv program.tap program.csw", "tape2wav program.tap full-scale.wav",
                              "sox full-scale.wav -e unsigned-integer -b 8 -c 1 program.wav vol 0.5",
                              "sox program.wav -t voc -e unsigned-integer -b 8 -c 1 program.voc"}) {
    ASSERT_EQ(0, std::system(("cd " + folder.PathOf("") + " && " + command + " > /dev/null 2>&1").c_str())) << command;
  }
  for (const char* name : {"program.tap", "program.csw", "program.wav", "program.voc", "full-scale.wav"}) {
    SCOPED_TRACE(name);
    const bool loads = std::string(name) != "full-scale.wav";
    ReferenceHost host(TestHostOptions());
    ASSERT_EQ(RESULT_OK, host.Start()) << host.Error();
    LoadOptions options;
    options.tapePath = folder.PathOf(name);
    options.maxSeconds = loads ? 120 : 30;
    const LoadReport report = RunLoad(host, options);
    EXPECT_TRUE(!loads || report.exitReason == "loaded" || report.exitReason == "tape_end") << report.exitReason;
    EXPECT_EQ(loads, MemoryAt(host, 40000, code.size()) == code);
    EXPECT_EQ(loads, host.Cpu().Peek(MARKER_ADDRESS) == MARKER);
  }
}

}  // namespace
}  // namespace reelbox::host

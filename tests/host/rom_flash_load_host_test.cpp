// Whole-block flash loading through the real ROM's LOAD, VERIFY and LOAD CODE
// on the reference host, and how soon the shared ROM-loaded tapes' programs
// start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "host/basic_program.h"
#include "host/load_session.h"
#include "host/tap_image.h"
#include "host_fixture.h"
#include "load_helpers.h"

namespace reelbox::host {
namespace {

constexpr std::uint16_t MARKER_ADDRESS = 30000;
constexpr std::uint8_t MARKER = 123;
constexpr std::uint16_t CODE_START = 40000;
constexpr std::size_t HEADER_BYTES = 17;

Bytes MarkerProgram() {
  Bytes program;
  TokeniseProgram({"10 POKE 30000,123", "20 PRINT \"LOADED\""}, &program);
  return program;
}

// The bytes between the flag and the checksum of the TAP record at index.
Bytes RecordBody(const TapImage& tape, int index) {
  const Bytes& bytes = tape.Bytes();
  std::size_t at = 0;
  for (int i = 0; i < index; ++i) at += 2 + (bytes[at] | bytes[at + 1] << 8);
  const std::size_t length = bytes[at] | bytes[at + 1] << 8;
  return Bytes(bytes.begin() + static_cast<long>(at) + 3, bytes.begin() + static_cast<long>(at + length) + 1);
}

Bytes Pattern(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

class RomFlashLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_ROM();
    host = std::make_unique<ReferenceHost>(TestHostOptions());
  }

  // Boots, opens the tape and types the command; false if anything failed.
  bool Begin(const TemporaryFile& tape, const std::string& command) {
    if (Failed(host->Start()) || !host->Attached()) return false;
    host->RunFrames(100);
    if (Failed(host->OpenTape(tape.Path()))) return false;
    return host->Type(command);
  }

  std::unique_ptr<ReferenceHost> host;
};

TEST_F(RomFlashLoad, ATwoBlockTapeGoesStraightIntoMemoryThroughLoad) {
  TapImage image;
  image.AddProgram("marker", MarkerProgram(), 10);
  TemporaryFile tape(image.Bytes(), ".tap");
  ASSERT_TRUE(Begin(tape, "LOAD \"\"\n"));
  ArrivalLog returns(*host, ROM_LOAD_RETURN, true);
  ASSERT_TRUE(RunUntilTapeStops(*host, 30));

  ASSERT_EQ(2u, returns.arrivals.size());
  const std::vector<Bytes> blocks{RecordBody(image, 0), MarkerProgram()};
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const Arrival& arrival = returns.arrivals[i];
    const auto start = arrival.memory.begin() + (arrival.ix - blocks[i].size());
    EXPECT_EQ(blocks[i], Bytes(start, start + static_cast<long>(blocks[i].size()))) << "block " << i << ", below IX";
  }
  EXPECT_EQ(HEADER_BYTES, blocks[0].size());
  for (const Arrival& arrival : returns.arrivals) {
    EXPECT_EQ(0, arrival.de);
    EXPECT_EQ(1, arrival.af & 1) << "carry: loaded";
    // Each block was in memory within a frame or two of the deck starting
    // it; played as sound the header's tone alone lasts 5 s.
    EXPECT_LT(Seconds(arrival.time - PlayTime(*host)), 0.1);
  }
  host->RunFrames(50);
  EXPECT_EQ(MARKER, host->Cpu().Peek(MARKER_ADDRESS)) << "the program ran";
}

// VERIFY asks LD-BYTES to compare, not to load: the data block plays (pilot
// skip and byte flash loading still shorten it) and nothing is written, so a
// byte changed after loading makes the ROM report a tape loading error.
TEST_F(RomFlashLoad, VerifyWritesNothing) {
  TapImage image;
  image.AddProgram("marker", MarkerProgram(), NO_AUTOSTART);
  TemporaryFile tape(image.Bytes(), ".tap");
  SetDeckOption(*host, "Stop At End Of Tape", 0);  // auto play may start the rewound tape again
  ASSERT_TRUE(Begin(tape, "LOAD \"\"\n"));
  ASSERT_TRUE(RunUntilTapeStops(*host, 30));
  const std::uint16_t prog = Word(*host, SYSVAR_PROG);
  const Bytes program = MarkerProgram();
  ASSERT_EQ(program, MemoryAt(*host, prog, program.size()));
  const std::size_t quote = std::find(program.begin(), program.end(), 'L') - program.begin();
  host->Cpu().Poke(static_cast<std::uint16_t>(prog + quote), 'X');

  ArrivalLog returns(*host, ROM_LOAD_RETURN);
  host->Type("VERIFY \"\"\n");
  ASSERT_TRUE(RunUntilTapeStops(*host, 30));
  ASSERT_EQ(2u, returns.arrivals.size());
  EXPECT_EQ(1, returns.arrivals[0].af & 1) << "the header is loaded, even by VERIFY";
  EXPECT_EQ(0, returns.arrivals[1].af & 1) << "the data differs from memory";
  EXPECT_EQ('X', host->Cpu().Peek(static_cast<std::uint16_t>(prog + quote)));
  EXPECT_NE(REPORT_OK, host->Cpu().Peek(SYSVAR_ERR_NR));
  // Played, not flash-loaded: the ROM lets a quarter of a second of tone
  // pass (this ROM's LD-WAIT) before it looks for the leader.
  EXPECT_GT(Seconds(returns.arrivals[1].time - returns.arrivals[0].time), 0.25);
}

TEST_F(RomFlashLoad, ABlockWithAnotherFlagIsPassedOver) {
  TapImage image;
  image.AddBlock(0xFF, Pattern(300));  // headerless: LOAD "" looks for a header
  image.AddProgram("marker", MarkerProgram(), 10);
  TemporaryFile tape(image.Bytes(), ".tap");
  ASSERT_TRUE(Begin(tape, "LOAD \"\"\n"));
  ArrivalLog returns(*host, ROM_LOAD_RETURN);
  ASSERT_TRUE(RunUntilTapeStops(*host, 30));
  ASSERT_EQ(2u, returns.arrivals.size()) << "the headerless block never reached the ROM";
  EXPECT_LT(Seconds(returns.arrivals[1].time - PlayTime(*host)), 0.1);
  host->RunFrames(50);
  EXPECT_EQ(MARKER, host->Cpu().Peek(MARKER_ADDRESS));
}

struct CodeLengthCase {
  const char* name;
  std::size_t length;
  bool wholeBlock;  // flash-loaded through the ROM in one go
};

class RomCodeLength : public RomFlashLoad, public ::testing::WithParamInterface<CodeLengthCase> {};

// A request of 963 bytes is never loaded whole; it still loads, played.
TEST_P(RomCodeLength, LoadsTheBytes) {
  TapImage image;
  const Bytes code = Pattern(GetParam().length);
  image.AddCode("code", code, CODE_START);
  TemporaryFile tape(image.Bytes(), ".tap");
  ASSERT_TRUE(Begin(tape, "LOAD \"\" CODE\n"));
  ArrivalLog returns(*host, ROM_LOAD_RETURN);
  ASSERT_TRUE(RunUntilTapeStops(*host, 60));
  ASSERT_EQ(2u, returns.arrivals.size());
  EXPECT_EQ(1, returns.arrivals[1].af & 1);
  EXPECT_EQ(code, MemoryAt(*host, CODE_START, code.size()));
  const double dataSeconds = Seconds(returns.arrivals[1].time - returns.arrivals[0].time);
  if (GetParam().wholeBlock) {
    EXPECT_LT(dataSeconds, 0.1);
  } else {
    EXPECT_GT(dataSeconds, 0.25);
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, RomCodeLength,
                         ::testing::Values(CodeLengthCase{"length_962", 962, true},
                                           CodeLengthCase{"length_963", 963, false},
                                           CodeLengthCase{"length_964", 964, true}),
                         [](const ::testing::TestParamInfo<CodeLengthCase>& info) { return info.param.name; });

struct SharedTapeCase {
  const char* file;
  std::int32_t programStart;  // first instruction of the loaded code; -1: the last return from LD-BYTES
};

class SharedRomTape : public ::testing::TestWithParam<SharedTapeCase> {
 protected:
  // Emulated seconds from the deck's start to the program's.
  double PlayToProgram(const FastOptions& options) {
    const std::string path = std::string(REELBOX_SHARED_TAPES) + "/" + GetParam().file;
    ReferenceHost host(TestHostOptions());
    ApplyOptions(host, options);
    EXPECT_EQ(RESULT_OK, host.Start());
    ArrivalLog returns(host, ROM_LOAD_RETURN);
    std::uint64_t started = 0;
    if (GetParam().programStart >= 0) {
      host.Machine().WatchExecution(static_cast<std::uint16_t>(GetParam().programStart), [&] {
        if (started == 0) started = Now(host);
      });
    }
    LoadOptions load;
    load.tapePath = path;
    load.untilTapeEnd = true;
    const LoadReport report = RunLoad(host, load);
    EXPECT_EQ("tape_end", report.exitReason);
    if (GetParam().programStart < 0 && !returns.arrivals.empty()) started = returns.arrivals.back().time;
    EXPECT_NE(0u, started);
    return Seconds(started - PlayTime(host));
  }
};

TEST_P(SharedRomTape, StartsItsProgramWithinHalfASecondWhenFlashLoaded) {
  REQUIRE_ROM();
  if (!std::ifstream(std::string(REELBOX_SHARED_TAPES) + "/" + GetParam().file)) {
    GTEST_SKIP() << "no " << REELBOX_SHARED_TAPES << "/" << GetParam().file;
  }
  const double fast = PlayToProgram(ALL_ON);
  const double played = PlayToProgram(ALL_OFF);
  std::printf("%-40s play to program: %.3f s flash-loaded, %.2f s played\n", GetParam().file, fast, played);
  EXPECT_LT(fast, 0.5);
  EXPECT_GT(played, 10.0);
}

INSTANTIATE_TEST_SUITE_P(Tapes, SharedRomTape,
                         ::testing::Values(SharedTapeCase{"rom-loaded/rustzx-simple_tape.tap", -1},
                                           SharedTapeCase{"rom-loaded/z80test-z80full.tap", 0x8000}),
                         [](const ::testing::TestParamInfo<SharedTapeCase>& info) {
                           return std::string(info.param.programStart < 0 ? "screen" : "code");
                         });

}  // namespace
}  // namespace reelbox::host

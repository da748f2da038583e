// The EAR signal the deck plays, edge by edge, read through IDevice at the
// T-state each edge falls due.
#include <gtest/gtest.h>

#include <algorithm>

#include "deck_harness.h"

namespace reelbox::test {
namespace {

constexpr std::int64_t SECOND = 3500000;  // T-states
constexpr std::int64_t FRAME = 69888;

// The pulse lengths a tape plays from a fresh Play at the start of a frame.
std::vector<std::int64_t> Played(DeckHarness& harness, const std::vector<Bytes>& blocks,
                                 std::int64_t maxTime = 40 * SECOND) {
  harness.Load(blocks);
  const std::int64_t start = harness.Now();
  harness.Deck().Play();
  return PulseLengths(harness.Run(SIZE_MAX, start + maxTime), start);
}

std::vector<std::int64_t> Concat(std::vector<std::int64_t> a, const std::vector<std::int64_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The flag picks the pilot: 8064 pulses for a header's flag, 3220 for data.
TEST(DeckSignal, StandardBlockPlaysPilotSyncsEveryBitAndThePause) {
  for (const auto& [flag, pilotPulses] :
       {std::pair<std::uint8_t, std::size_t>{0x00, 8064}, {0x01, 8064}, {0xFE, 8064}, {0xFF, 3220}}) {
    DeckHarness harness;
    Bytes data = HeaderData(0x00, "REELBOX", 0x0122, 0x8000, 0x0122);
    data[0] = flag;
    std::vector<std::int64_t> expected = StandardPulses(data);
    ASSERT_EQ(pilotPulses + 2 + 304, expected.size());
    expected.push_back(SECOND);  // the pause ends with an edge, then the tone
    expected.push_back(500);
    EXPECT_EQ(expected, Played(harness, {StandardBlock(1000, data), PureTone(500, 1)})) << int(flag);
  }
}

// The block with one byte changed: a count that claims more than it holds.
Bytes Patched(Bytes block, std::size_t at, std::uint8_t value) {
  block[at] = value;
  return block;
}

const TurboTimings TURBO{1000, 300, 400, 500, 900, 5};
const TurboTimings TURBO_WITHOUT_PILOT{1000, 300, 400, 500, 900, 0};

// Data blocks send the used bits of their last byte, and no more than they hold;
// tones and pulse sequences have no pause.
TEST(DeckSignal, DataBlocksSendTheUsedBitsOfTheLastByte) {
  const struct {
    const char* name;
    Bytes block;
    std::vector<std::int64_t> pulses;  // up to the block after it
  } cases[] = {
      {"turbo_three_used_bits", TurboBlock(TURBO, 3, 1000, {0xA5, 0xE0}),
       Concat({1000, 1000, 1000, 1000, 1000, 300, 400}, Concat(DataPulses({0xA5, 0xE0}, 3, 500, 900), {SECOND}))},
      {"turbo_without_pilot_starts_with_syncs", TurboBlock(TURBO_WITHOUT_PILOT, 8, 1000, {0x80}),
       Concat({300, 400}, Concat(DataPulses({0x80}, 8, 500, 900), {SECOND}))},
      {"pure_data_one_byte_eight_bits", PureData(600, 1200, 8, 1000, {0x5A}),
       Concat(DataPulses({0x5A}, 8, 600, 1200), {SECOND})},
      {"pure_data_one_byte_one_bit", PureData(600, 1200, 1, 1000, {0x80}), {1200, 1200, SECOND}},
      {"pure_data_last_byte_unused", PureData(600, 1200, 0, 1000, {0xFF, 0xFF}),
       Concat(DataPulses({0xFF}, 8, 600, 1200), {SECOND})},
      {"pure_data_more_than_eight_bits_plays_eight", PureData(600, 1200, 12, 1000, {0x01, 0x80}),
       Concat(DataPulses({0x01, 0x80}, 8, 600, 1200), {SECOND})},
      {"pure_data_claims_more_bytes_than_it_holds",
       Patched(PureData(600, 1200, 8, 1000, {0xC3}), 8, 0xFF),  // 255 bytes in its length
       Concat(DataPulses({0xC3}, 8, 600, 1200), {SECOND})},
      {"pure_tone", PureTone(65535, 3), {65535, 65535, 65535}},
      {"pulse_sequence", PulseSequence({100, 200, 300}), {100, 200, 300}},
      {"pulse_sequence_claims_more_pulses_than_it_holds",
       Patched(PulseSequence({100, 200}), 1, 40),  // 40 pulses in its count
       {100, 200}},
  };
  for (const auto& c : cases) {
    DeckHarness harness;
    EXPECT_EQ(Concat(c.pulses, {777}), Played(harness, {c.block, PureTone(777, 1)})) << c.name;
  }
}

TEST(DeckSignal, DirectRecordingSetsLevelsAndLogsOnlyChanges) {
  DeckHarness harness;
  harness.Load({DirectRecording(100, 1000, 8, {0xF0, 0x0F}), PureTone(300, 1)});
  harness.Deck().Play();
  EXPECT_EQ(0x40, harness.Deck().earLevel);
  EXPECT_EQ((std::vector<Transition>{{400, 0x00}, {1200, 0x40}}), harness.Run(2));
  EXPECT_EQ(2, harness.Deck().edgeCount);
  EXPECT_EQ(1200u, harness.Deck().edgeLog[1]);
  const std::vector<Transition> rest = harness.Run(1);
  ASSERT_EQ(1u, rest.size());
  EXPECT_EQ(1600 + SECOND, rest[0].time);  // 4 more high samples, then the pause's edge
}

// While more than 1.5 s of a pause remain, the level flips once a second
// (seen at the end of the frame in which the second ends); the pause ends with
// a logged edge at its exact length, at most 30 s. (Play steps over a pause
// block it starts on, so a tone comes first.)
TEST(DeckSignal, PauseFlipsOnceASecondUntilTheLastOneAndAHalf) {
  for (const auto& [ms, flips] :
       {std::pair<std::uint16_t, int>{2000, 0}, {2400, 0}, {3000, 1}, {5000, 3}, {40000, 28}}) {
    DeckHarness harness;
    harness.Load({PureTone(300, 1), PauseBlock(ms), PureTone(300, 1)});
    harness.Deck().Play();
    const std::vector<Transition> seen = harness.Run();
    const std::int64_t start = 300;
    const std::int64_t length = std::min<std::int64_t>(ms, 30000) * 3500;
    ASSERT_EQ(static_cast<std::size_t>(flips) + 3, seen.size()) << ms;
    for (int i = 0; i < flips; ++i) {
      EXPECT_GE(seen[i + 1].time, start + (i + 1) * SECOND);
      EXPECT_LT(seen[i + 1].time, start + (i + 1) * SECOND + FRAME);
    }
    EXPECT_EQ(start + length, seen[flips + 1].time) << ms;
    EXPECT_EQ(start + length + 300, seen.back().time) << ms;
  }
}

// Full speed from the first tone to the end of the tape, and never without fast loading.
TEST(DeckSignal, FullSpeedRunsFromToneToTheEndOfTheTapeWithFastLoading) {
  for (const std::uint32_t fast : {1u, 0u}) {
    DeckHarness harness;
    harness.Deck().SetFastLoading(fast);
    Played(harness, {PureTone(300, 2), PureData(600, 1200, 8, 0, {0x00})});
    const std::vector<std::uint32_t>& calls = harness.machine.fullSpeedCalls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(fast, calls.front());
    EXPECT_EQ(fast, *std::max_element(calls.begin(), calls.end()));
    EXPECT_EQ(0u, harness.machine.fullSpeedCalls.back());
  }
}

}  // namespace
}  // namespace reelbox::test

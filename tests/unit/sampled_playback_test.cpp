// Sampled pieces played to the EAR signal, read through IDevice at the T-state
// each edge falls due.
#include <gtest/gtest.h>

#include "deck_harness.h"
#include "tape/sampled_blocks.h"
#include "tape/voc_reader.h"
#include "tape/wav_reader.h"
#include "tape_files.h"

namespace reelbox::test {
namespace {

using Transitions = std::vector<Transition>;

constexpr std::uint8_t HIGH = 0x40;
constexpr std::uint8_t LOW = 0x00;

// The run-length bytes stay with the test; the pieces point into them.
void AppendCswPiece(DeckHarness& harness, const Bytes& pulses, std::uint32_t rate, std::uint8_t level) {
  CswPiece piece;
  piece.sampleRate = rate;
  piece.pulseData = pulses.data();
  piece.pulseDataLength = static_cast<std::uint32_t>(pulses.size());
  piece.initialLevel = level;
  harness.Tape().Append(NewCswPieceBlock(piece));
}

// Plays the tape from its start at a frame start, as the command queue does,
// and gives every level change, timed from Play.
Transitions PlayAll(DeckHarness& harness) {
  harness.Deck().ResetDeck();
  if (harness.machine.clock != 0) harness.NextFrame();
  const std::int64_t start = harness.Now();
  harness.Deck().Play();
  Transitions seen = harness.Run(SIZE_MAX, start + 60 * 3500000LL);
  for (Transition& transition : seen) transition.time -= start;
  return seen;
}

// 3,494,400 T-states: 50 frames of 69,888. Rates above it still move on. A
// zero run whose four-byte length the data cuts off plays as one sample, and
// the piece ends there.
TEST(CswPlayback, SamplePeriodIsTheCswSecondOverTheRate) {
  const struct {
    Bytes pulses;
    std::uint32_t rate;
    Transitions expected;
  } cases[] = {
      {{1, 2}, 44100, {{79, LOW}, {3 * 79, HIGH}}},   {{1, 2}, 22050, {{158, LOW}, {3 * 158, HIGH}}},
      {{1, 2}, 11025, {{316, LOW}, {3 * 316, HIGH}}}, {{1, 2}, 8000, {{436, LOW}, {3 * 436, HIGH}}},
      {{1, 2}, 4000000, {{1, LOW}, {3, HIGH}}},       {{1, 0, 5}, 44100, {{79, LOW}, {158, HIGH}}},
  };
  for (const auto& c : cases) {
    DeckHarness harness;
    AppendCswPiece(harness, c.pulses, c.rate, 1);
    EXPECT_EQ(c.expected, PlayAll(harness)) << c.rate;
  }
}

// Samples read from real VOC and WAV files through the pieces' sample source.
TEST(SampledPlayback, SamplePeriodIsTheSecondOverTheRate) {
  ScratchFolder folder;
  // Each rate and the sample period it plays at.
  const std::pair<std::uint32_t, std::int64_t> cases[] = {{44100, 79}, {11025, 317}, {11111, 315}, {4000000, 1}};
  for (const auto& [rate, period] : cases) {
    DeckHarness harness;
    const Bytes file = WaveFile(Concat({WaveFormatChunk(1, 1, rate, 8), RiffChunk("data", {0x7F, 0x80, 0x7F})}));
    ASSERT_EQ(RESULT_OK, ReadWavFile(harness.Tape(), folder.Write("rate.wav", file).c_str()));
    EXPECT_EQ((Transitions{{period, LOW}, {2 * period, HIGH}}), PlayAll(harness)) << rate;
  }
}

// 50000 samples at 11111 per second are three pieces (22222, 22222, 5556):
// the level changes every 100 samples, across the joins as well.
TEST(SampledPlayback, PiecesOfOneFileFollowWithoutASeamAndReplayFromTheirStart) {
  Bytes samples(50000);
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = (i / 100) % 2 == 0 ? 0x7F : 0x80;
  ScratchFolder folder;
  DeckHarness harness;
  const std::string path = folder.Write("tape.voc", Voc({VocSound(0xA6, samples)}));
  ASSERT_EQ(RESULT_FALSE, ReadVocFile(harness.Tape(), path.c_str()));
  ASSERT_EQ(3, harness.Tape().GetCount());

  Transitions expected;
  for (std::int64_t change = 1; change < 500; ++change) {
    expected.push_back({change * 100 * 315, static_cast<std::uint8_t>(change % 2 ? LOW : HIGH)});
  }
  EXPECT_EQ(expected, PlayAll(harness));
  EXPECT_EQ(expected, PlayAll(harness)) << "played again after a rewind";
}

}  // namespace
}  // namespace reelbox::test

// The loading noise: rendering of a frame's edges into samples, the lead
// frames before the reference host's buffer plays, and when it falls silent.
#include <gtest/gtest.h>

#include <vector>

#include "engine/tape_deck.h"
#include "host/sound_device.h"
#include "scripted_machine.h"

namespace reelbox {
namespace {

constexpr std::uint32_t FRAME = 69888;
constexpr std::int32_t QUIET = 0x400;
constexpr std::int32_t LOUD = 0x4000;
constexpr int SAMPLES = 882;

class LoadingNoise : public ::testing::Test {
 protected:
  // Attached as a plug-in is: the deck keeps its edge log and makes its buffer.
  void SetUp() override {
    machine.realTime = 1;
    machine.soundDevice = &sound;
    ASSERT_EQ(RESULT_OK, deck.Attach(&machine, nullptr));
    buffer = sound.FirstBuffer();
    ASSERT_NE(nullptr, buffer);
  }
  void TearDown() override { deck.Detach(); }

  // A deck playing with the noise on, its lead frames still to come.
  void StartNoise() {
    deck.StopNoise();
    deck.state = DECK_PLAYING;
    deck.loadingNoise = 1;
  }

  HResult Frame(std::uint32_t flag = 0) {
    deck.NoiseFrameStart(flag);
    return deck.NoiseFrameEnd();
  }

  std::vector<std::int16_t> Render(std::uint8_t startLevel, const std::vector<std::uint32_t>& times,
                                   std::int32_t amplitude = QUIET) {
    std::copy(times.begin(), times.end(), deck.edgeLog);
    deck.edgeCount = static_cast<std::int32_t>(times.size());
    deck.frameStartLevel = startLevel;
    std::vector<std::int16_t> samples(SAMPLES, 0x5555);
    deck.RenderNoiseFrame(samples.data(), amplitude);
    return samples;
  }

  TapeBlockList list;
  TapeDeck deck{&list};
  test::ScriptedMachine machine;
  host::SoundDevice sound;
  host::SoundBuffer* buffer = nullptr;
};

// Samples [first, last] all equal to value.
::testing::AssertionResult AllEqual(const std::vector<std::int16_t>& samples, int first, int last, int value) {
  for (int i = first; i <= last; ++i) {
    if (samples[i] != value) {
      return ::testing::AssertionFailure() << "sample " << i << " is " << samples[i] << ", not " << value;
    }
  }
  return ::testing::AssertionSuccess();
}

// Each sample is the mean of its sixteen sub-steps' levels.
TEST_F(LoadingNoise, RendersEdgesIntoSamplesBySixteenths) {
  struct Span {
    int first, last, value;
  };
  const struct {
    std::uint8_t level;
    std::vector<std::uint32_t> times;
    std::int32_t amplitude;
    std::vector<Span> spans;
  } cases[] = {
      {0x40, {}, QUIET, {{0, SAMPLES - 1, 1024}}},
      {0x40, {}, LOUD, {{0, SAMPLES - 1, 16384}}},
      {0x00, {}, QUIET, {{0, SAMPLES - 1, -1024}}},
      {0x40, {FRAME / 2}, QUIET, {{0, 440, QUIET}, {441, SAMPLES - 1, -QUIET}}},
      // T 7944 is sub-step 1604: 4 sixteenths of sample 100 high, 12 low.
      {0x40, {7944}, QUIET, {{0, 99, QUIET}, {100, 100, -8 * QUIET / 16}, {101, SAMPLES - 1, -QUIET}}},
      // Sub-steps 1602 and 1610 fall in sample 100; 1616 is the first of sample 101.
      {0x00, {7934, 7974, 8004}, QUIET, {{0, 99, -QUIET}, {100, 100, 0}, {101, SAMPLES - 1, QUIET}}},
      // Edges past the frame's end count at its end; T 69878 is sub-step 14109.
      {0x40, {FRAME - 10, FRAME + 500}, QUIET, {{0, SAMPLES - 2, QUIET}, {SAMPLES - 1, SAMPLES - 1, 10 * QUIET / 16}}},
  };
  for (const auto& c : cases) {
    const auto samples = Render(c.level, c.times, c.amplitude);
    for (const Span& s : c.spans) EXPECT_TRUE(AllEqual(samples, s.first, s.last, s.value)) << c.times.size();
  }
}

// The write position moves on a frame at a time round the one-second buffer.
TEST_F(LoadingNoise, PlaysAfterItsLeadFramesAndWritesFrameByFrameRoundTheBuffer) {
  StartNoise();
  std::vector<std::uint32_t> positions;
  for (int frame = 1; frame <= 52; ++frame) {
    Frame(frame == 6 ? 1 : 0);  // a flagged frame keeps the write position
    positions.push_back(deck.noiseWritePos);
    EXPECT_EQ(buffer->PlayCalls(), frame >= 4 ? 1u : 0u) << "frame " << frame;
  }
  EXPECT_TRUE(buffer->Playing());
  EXPECT_EQ(std::vector<std::uint32_t>(positions.begin(), positions.begin() + 7),
            (std::vector<std::uint32_t>{0, 1764, 3528, 5292, 7056, 7056, 8820}));
  EXPECT_EQ(positions[51], 0u) << "fifty frames round";

  deck.noiseLeadFrames = 8;
  StartNoise();
  for (int frame = 1; frame <= 8; ++frame) Frame();
  EXPECT_EQ(buffer->PlayCalls(), 2u) << "eight lead frames when the deck asks for them";
}

TEST_F(LoadingNoise, SilenceWhenNotPlayingSuspendedOrNotRealTime) {
  struct Case {
    const char* name;
    std::int32_t state;
    std::uint32_t realTime;
    std::uint32_t suspended;
    std::uint32_t setting;
  };
  for (const Case& c : {Case{"paused", DECK_PAUSED, 1, 0, 1}, Case{"not real time", DECK_PLAYING, 0, 0, 1},
                        Case{"suspended", DECK_PLAYING, 1, 1, 1}, Case{"setting off", DECK_PLAYING, 1, 0, 0}}) {
    StartNoise();
    for (int frame = 0; frame < 5; ++frame) Frame();
    ASSERT_TRUE(buffer->Playing()) << c.name;
    deck.state = c.state;
    machine.realTime = c.realTime;
    machine.soundSuspended = c.suspended;
    deck.loadingNoise = c.setting;
    deck.NoiseFrameStart(0);
    EXPECT_FALSE(buffer->Playing()) << c.name;
    EXPECT_EQ(deck.noiseCountdown, deck.noiseLeadFrames) << c.name;
    EXPECT_EQ(deck.hostRealTime, c.state == DECK_PLAYING ? c.realTime : 1u) << c.name;
    machine.realTime = 1;
    machine.soundSuspended = 0;
  }
}

}  // namespace
}  // namespace reelbox

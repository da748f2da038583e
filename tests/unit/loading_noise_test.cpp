// The loading noise: rendering of a frame's edges into samples, the lead
// frames before the buffer plays, and the restart after a flash load.
#include <gtest/gtest.h>

#include <vector>

#include "engine/tape_deck.h"
#include "scripted_machine.h"

namespace reelbox {
namespace {

constexpr std::uint32_t FRAME = 69888;
constexpr std::int32_t QUIET = 0x400;
constexpr std::int32_t LOUD = 0x4000;
constexpr int SAMPLES = 882;

// A buffer that logs what the deck does to it.
class FakeBuffer final : public IDirectSoundBuffer {
 public:
  HResult RB_CALL QueryInterface(const Guid&, void** out) override {
    *out = nullptr;
    return RESULT_NOINTERFACE;
  }
  std::uint32_t RB_CALL AddRef() override { return ++refs; }
  std::uint32_t RB_CALL Release() override { return --refs; }
  HResult RB_CALL GetCaps(void*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetCurrentPosition(std::uint32_t*, std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetFormat(WaveFormat*, std::uint32_t, std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetVolume(std::int32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetPan(std::int32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetFrequency(std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetStatus(std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL Initialize(void*, const SoundBufferDesc*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL Lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1, void** part2,
                       std::uint32_t* bytes2, std::uint32_t) override {
    if (lost) return DSERR_BUFFERLOST;
    lockOffsets.push_back(offset);
    *part1 = memory.data() + offset;
    *bytes1 = bytes;
    *part2 = nullptr;
    *bytes2 = 0;
    return RESULT_OK;
  }
  HResult RB_CALL Play(std::uint32_t, std::uint32_t, std::uint32_t flags) override {
    playFlags = flags;
    ++plays;
    playing = true;
    return RESULT_OK;
  }
  HResult RB_CALL SetCurrentPosition(std::uint32_t position) override {
    positions.push_back(position);
    return positionResult;
  }
  HResult RB_CALL SetFormat(const WaveFormat*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetVolume(std::int32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetPan(std::int32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetFrequency(std::uint32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL Stop() override {
    ++stops;
    playing = false;
    return RESULT_OK;
  }
  HResult RB_CALL Unlock(void*, std::uint32_t bytes, void*, std::uint32_t) override {
    unlockedBytes.push_back(bytes);
    return RESULT_OK;
  }
  HResult RB_CALL Restore() override {
    ++restores;
    lost = false;
    return RESULT_OK;
  }

  std::int16_t Sample(std::uint32_t offset, int index) const {
    return static_cast<std::int16_t>(memory[offset + 2 * index] | memory[offset + 2 * index + 1] << 8);
  }

  std::uint32_t refs = 1;
  std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(88200, 0xAA);
  std::vector<std::uint32_t> lockOffsets;
  std::vector<std::uint32_t> unlockedBytes;
  std::vector<std::uint32_t> positions;
  HResult positionResult = RESULT_OK;
  std::uint32_t plays = 0;
  std::uint32_t playFlags = 0;
  std::uint32_t stops = 0;
  std::uint32_t restores = 0;
  bool playing = false;
  bool lost = false;
};

// The device only has to be there: the deck made its buffer at attach.
class FakeSound final : public IDirectSound {
 public:
  HResult RB_CALL QueryInterface(const Guid&, void** out) override {
    *out = nullptr;
    return RESULT_NOINTERFACE;
  }
  std::uint32_t RB_CALL AddRef() override { return 2; }
  std::uint32_t RB_CALL Release() override { return 1; }
  HResult RB_CALL CreateSoundBuffer(const SoundBufferDesc*, IDirectSoundBuffer**, IUnknown*) override {
    return RESULT_NOTIMPL;
  }
  HResult RB_CALL GetCaps(void*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL DuplicateSoundBuffer(IDirectSoundBuffer*, IDirectSoundBuffer**) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetCooperativeLevel(WindowHandle, std::uint32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL Compact() override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetSpeakerConfig(std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetSpeakerConfig(std::uint32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL Initialize(const Guid*) override { return RESULT_NOTIMPL; }
};

class LoadingNoise : public ::testing::Test {
 protected:
  void SetUp() override {
    machine.realTime = 1;
    deck.host = &machine;
    deck.edgeLog = edges.data();
    deck.edgeCount = 0;
  }
  void TearDown() override {
    // The deck owns none of these.
    deck.host = nullptr;
    deck.edgeLog = nullptr;
    deck.soundDevice = nullptr;
    deck.noiseBuffer = nullptr;
    deck.noisePlaying = 0;
  }

  // A deck playing with the noise on and its buffer made, as after attach.
  void StartNoise() {
    deck.soundDevice = &sound;
    deck.noiseBuffer = &buffer;
    deck.noisePlaying = 0;
    deck.state = DECK_PLAYING;
    deck.loadingNoise = 1;
    deck.noiseCountdown = deck.noiseLeadFrames;
  }

  HResult Frame(std::uint32_t flag = 0) {
    deck.NoiseFrameStart(flag);
    return deck.NoiseFrameEnd();
  }

  std::vector<std::int16_t> Render(std::uint8_t startLevel, const std::vector<std::uint32_t>& times,
                                   std::int32_t amplitude = QUIET) {
    std::copy(times.begin(), times.end(), edges.begin());
    deck.edgeCount = static_cast<std::int32_t>(times.size());
    deck.frameStartLevel = startLevel;
    std::vector<std::int16_t> samples(SAMPLES, 0x5555);
    deck.RenderNoiseFrame(samples.data(), amplitude);
    return samples;
  }

  TapeBlockList list;
  TapeDeck deck{&list};
  test::ScriptedMachine machine;
  FakeSound sound;
  FakeBuffer buffer;
  std::vector<std::uint32_t> edges = std::vector<std::uint32_t>(EDGE_LOG_ENTRIES, 0);
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

TEST_F(LoadingNoise, PlaysAfterItsLeadFramesAndWritesFrameByFrameRoundTheBuffer) {
  StartNoise();
  for (int frame = 1; frame <= 52; ++frame) {
    Frame(frame == 6 ? 1 : 0);  // a flagged frame keeps the write position
    EXPECT_EQ(buffer.plays, frame >= 4 ? 1u : 0u) << "frame " << frame;
  }
  EXPECT_EQ(buffer.playFlags, DSBPLAY_LOOPING);
  EXPECT_EQ(buffer.positions, (std::vector<std::uint32_t>{0}));
  ASSERT_EQ(buffer.lockOffsets.size(), 52u);
  EXPECT_EQ(std::vector<std::uint32_t>(buffer.lockOffsets.begin(), buffer.lockOffsets.begin() + 7),
            (std::vector<std::uint32_t>{0, 1764, 3528, 5292, 7056, 7056, 8820}));
  EXPECT_EQ(buffer.lockOffsets[51], 0u) << "fifty frames round";
  EXPECT_EQ(buffer.unlockedBytes.size(), 52u);

  buffer = FakeBuffer();
  deck.noiseLeadFrames = 8;
  StartNoise();
  for (int frame = 1; frame <= 8; ++frame) Frame();
  EXPECT_EQ(buffer.plays, 1u) << "eight lead frames when the deck asks for them";
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
    buffer = FakeBuffer();
    StartNoise();
    for (int frame = 0; frame < 5; ++frame) Frame();
    ASSERT_TRUE(buffer.playing) << c.name;
    deck.state = c.state;
    machine.realTime = c.realTime;
    machine.soundSuspended = c.suspended;
    deck.loadingNoise = c.setting;
    deck.NoiseFrameStart(0);
    EXPECT_FALSE(buffer.playing) << c.name;
    EXPECT_EQ(deck.noiseCountdown, deck.noiseLeadFrames) << c.name;
    EXPECT_EQ(deck.hostRealTime, c.state == DECK_PLAYING ? c.realTime : 1u) << c.name;
    machine.realTime = 1;
    machine.soundSuspended = 0;
  }
}

}  // namespace
}  // namespace reelbox

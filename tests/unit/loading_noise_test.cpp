// The loading noise: rendering of a frame's edges into samples, the lead
// frames before the buffer plays, and the restart after a flash load.
#include <gtest/gtest.h>

#include <vector>

#include "engine/tape_deck.h"

namespace reelbox {
namespace {

constexpr std::uint32_t FRAME = 69888;
constexpr std::int32_t QUIET = 0x400;
constexpr std::int32_t LOUD = 0x4000;
constexpr int SAMPLES = 882;

// The machine as far as the noise asks it.
class NoiseMachine final : public IEmulatedMachine {
 public:
  HResult RB_CALL QueryInterface(const Guid&, void** out) override {
    *out = nullptr;
    return RESULT_NOINTERFACE;
  }
  std::uint32_t RB_CALL AddRef() override { return ++refs; }
  std::uint32_t RB_CALL Release() override { return --refs; }
  HResult RB_CALL AddExecutionTrap(std::uint32_t, std::uint16_t, std::uint32_t, IDevice*) override {
    return RESULT_NOTIMPL;
  }
  HResult RB_CALL RemoveExecutionTrap(std::uint32_t, std::uint16_t, std::uint32_t, IDevice*) override {
    return RESULT_NOTIMPL;
  }
  HResult RB_CALL SetRegister(std::uint32_t, std::uint32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetRegister(std::uint32_t, std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL ReadMemory(std::uint16_t, std::uint8_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL WriteMemory(std::uint16_t, std::uint8_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL PopWord(std::uint16_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot12() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot13() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot14() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot15() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot16() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot17() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetModel() override { return MODEL_48K; }
  std::uint32_t RB_CALL Is48KMode() override { return 1; }
  HResult RB_CALL MachineSlot20() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot21() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot22() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot23() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot24() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetFullSpeed(std::uint32_t) override { return RESULT_OK; }
  std::uint32_t RB_CALL GetFrameClock() override { return 0; }
  HResult RB_CALL SetFrameClock(std::uint32_t) override { return RESULT_OK; }
  std::uint32_t RB_CALL GetFrameLength() override { return FRAME; }
  HResult RB_CALL MachineSlot29() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetRealTimeFlag() override { return realTime; }
  HResult RB_CALL MachineSlot31() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot32() override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetSoundDevice(IDirectSound** device) override {
    *device = nullptr;
    return RESULT_FAIL;
  }
  std::uint32_t RB_CALL IsSoundOff() override { return soundOff; }
  std::uint32_t RB_CALL IsSoundSuspended() override { return soundSuspended; }

  std::uint32_t refs = 1;
  std::uint32_t realTime = 1;
  std::uint32_t soundOff = 0;
  std::uint32_t soundSuspended = 0;
};

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
  NoiseMachine machine;
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

TEST_F(LoadingNoise, FrameWithoutEdgesHoldsTheLevel) {
  struct Case {
    std::uint8_t level;
    std::int32_t amplitude;
    int expected;
  };
  for (const Case& c : {Case{0x40, QUIET, 1024}, Case{0x40, LOUD, 16384}, Case{0x00, QUIET, -1024}}) {
    EXPECT_TRUE(AllEqual(Render(c.level, {}, c.amplitude), 0, SAMPLES - 1, c.expected)) << "level " << int(c.level);
  }
}

TEST_F(LoadingNoise, EdgeAtHalfFrameSplitsAtSample441) {
  const auto samples = Render(0x40, {FRAME / 2});
  EXPECT_TRUE(AllEqual(samples, 0, 440, QUIET));
  EXPECT_TRUE(AllEqual(samples, 441, SAMPLES - 1, -QUIET));
}

TEST_F(LoadingNoise, EdgeInsideASampleWeighsBothLevelsBySixteenths) {
  // T-state 7944 is sub-step 1604: 4 sixteenths of sample 100 high, 12 low.
  const auto samples = Render(0x40, {7944});
  EXPECT_TRUE(AllEqual(samples, 0, 99, QUIET));
  EXPECT_EQ(samples[100], (4 * QUIET - 12 * QUIET) / 16);
  EXPECT_TRUE(AllEqual(samples, 101, SAMPLES - 1, -QUIET));
}

TEST_F(LoadingNoise, TwoEdgesInOneSampleAndOneOnItsBoundary) {
  // Sub-steps 1602 and 1610 (T 7934 and 7974) fall in sample 100; sub-step
  // 1616 (T 8004) is the first of sample 101.
  const auto samples = Render(0x00, {7934, 7974, 8004});
  EXPECT_TRUE(AllEqual(samples, 0, 99, -QUIET));
  EXPECT_EQ(samples[100], (-2 * QUIET + 8 * QUIET - 6 * QUIET) / 16);
  EXPECT_TRUE(AllEqual(samples, 101, SAMPLES - 1, QUIET));
}

TEST_F(LoadingNoise, EdgesPastTheFrameEndCountAtItsEnd) {
  const auto samples = Render(0x40, {FRAME - 10, FRAME + 500});
  EXPECT_TRUE(AllEqual(samples, 0, SAMPLES - 2, QUIET));
  EXPECT_EQ(samples[SAMPLES - 1], (13 * QUIET - 3 * QUIET) / 16);  // T 69878 is sub-step 14109
}

TEST_F(LoadingNoise, OnlyTheLoggedEdgesOfABusyFrameAreRendered) {
  std::vector<std::uint32_t> times(EDGE_LOG_ENTRIES);
  for (std::size_t i = 0; i < times.size(); ++i) times[i] = 4 + 8 * static_cast<std::uint32_t>(i);
  const auto all = Render(0x40, times);
  // An even number of edges: the level after the last (T 55996) is the start level.
  EXPECT_TRUE(AllEqual(all, 708, SAMPLES - 1, QUIET));
  for (int i = 0; i < 700; ++i) EXPECT_LE(std::abs(all[i]), QUIET / 4) << "sample " << i;
  // A count above the log's size reads no further than the log.
  deck.edgeCount = EDGE_LOG_ENTRIES + 500;
  std::vector<std::int16_t> again(SAMPLES);
  deck.RenderNoiseFrame(again.data(), QUIET);
  EXPECT_EQ(again, all);
}

TEST_F(LoadingNoise, PlaybackStartsAtTheFourthFrame) {
  StartNoise();
  for (int frame = 1; frame <= 6; ++frame) {
    Frame();
    EXPECT_EQ(buffer.plays, frame >= 4 ? 1u : 0u) << "frame " << frame;
  }
  EXPECT_EQ(buffer.playFlags, DSBPLAY_LOOPING);
  EXPECT_EQ(buffer.positions, (std::vector<std::uint32_t>{0}));
  EXPECT_EQ(buffer.lockOffsets, (std::vector<std::uint32_t>{0, 1764, 3528, 5292, 7056, 8820}));
  EXPECT_EQ(buffer.unlockedBytes.size(), 6u);
}

TEST_F(LoadingNoise, EightLeadFramesWhenTheDeckAsksForThem) {
  deck.noiseLeadFrames = 8;
  StartNoise();
  for (int frame = 1; frame <= 7; ++frame) Frame();
  EXPECT_EQ(buffer.plays, 0u);
  Frame();
  EXPECT_EQ(buffer.plays, 1u);
}

TEST_F(LoadingNoise, WritePositionWrapsAfterFiftyFrames) {
  StartNoise();
  for (int frame = 0; frame < 51; ++frame) Frame();
  ASSERT_EQ(buffer.lockOffsets.size(), 51u);
  EXPECT_EQ(buffer.lockOffsets[49], 49u * 1764);
  EXPECT_EQ(buffer.lockOffsets[50], 0u);
}

TEST_F(LoadingNoise, FlaggedFrameKeepsTheWritePosition) {
  StartNoise();
  Frame();
  Frame(1);
  Frame();
  EXPECT_EQ(buffer.lockOffsets, (std::vector<std::uint32_t>{0, 0, 1764}));
}

TEST_F(LoadingNoise, FlashLoadRestartsTheNoiseWithItsLeadFrames) {
  StartNoise();
  for (int frame = 0; frame < 5; ++frame) Frame();
  ASSERT_TRUE(buffer.playing);
  deck.NoiseFrameStart(0);
  deck.noiseRestart = 1;  // a block was flash-loaded during this frame
  deck.NoiseFrameEnd();
  EXPECT_FALSE(buffer.playing);
  EXPECT_EQ(deck.noisePlaying, 0u);
  deck.noiseRestart = 0;
  buffer.lockOffsets.clear();
  for (int frame = 0; frame < 4; ++frame) Frame();
  EXPECT_EQ(buffer.positions, (std::vector<std::uint32_t>{0, 0}));
  EXPECT_EQ(buffer.lockOffsets, (std::vector<std::uint32_t>{0, 1764, 3528, 5292}));
  EXPECT_EQ(buffer.plays, 2u);
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

TEST_F(LoadingNoise, LostBufferIsRestoredAndTheFrameSkipped) {
  StartNoise();
  Frame();
  buffer.lost = true;
  deck.NoiseFrameStart(0);
  EXPECT_EQ(deck.NoiseFrameEnd(), DSERR_BUFFERLOST);
  EXPECT_EQ(buffer.restores, 1u);
  EXPECT_EQ(buffer.unlockedBytes.size(), 1u);
  EXPECT_EQ(Frame(), RESULT_OK);
}

TEST_F(LoadingNoise, FrameEndRendersTheLastEdgesOfAStoppedTape) {
  StartNoise();
  Frame();
  deck.state = DECK_STOPPED;
  deck.edgeCount = 0;
  deck.NoiseFrameEnd();
  EXPECT_EQ(buffer.lockOffsets.size(), 1u);
  deck.edgeCount = 1;  // the tape stopped during the frame
  deck.NoiseFrameEnd();
  EXPECT_EQ(buffer.lockOffsets.size(), 2u);
  machine.soundOff = 1;
  deck.NoiseFrameEnd();
  EXPECT_EQ(buffer.lockOffsets.size(), 2u);
}

TEST_F(LoadingNoise, FrameStartTakesTheRunningPulseBack) {
  StartNoise();
  deck.untilEdge = 300;
  deck.currentPulse = 2168;
  deck.NoiseFrameStart(0);
  EXPECT_EQ(deck.lastEdgeTime, 300 - 2168);
}

}  // namespace
}  // namespace reelbox

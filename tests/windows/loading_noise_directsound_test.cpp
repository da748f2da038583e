// The loading noise on a real DirectSound device: the deck's buffer is created
// at attach, locked and written every frame, played from the fourth frame,
// stopped when the tape stops and released at detach.
// The plug-in's declarations come before the system's, whose sound constants
// are macros of the same names.
// clang-format off
#include "shell/tape_plugin.h"
#include "unit/scripted_machine.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <gtest/gtest.h>
// clang-format on

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox {
namespace {

constexpr std::uint32_t FRAME_TSTATES = 69888;
constexpr std::uint32_t PRIORITY_LEVEL = 2;  // DSSCL_PRIORITY
constexpr std::uint32_t BUFFER_PLAYING = 1;  // DSBSTATUS_PLAYING
constexpr std::uint32_t BUFFER_LOOPING = 4;  // DSBSTATUS_LOOPING

// DirectSound reached through the plug-in's own declarations of its slots, so
// the test also proves that they fit the system's objects.
using DirectSoundCreateFunction = HRESULT(WINAPI*)(const GUID* device, IDirectSound** sound, IUnknown* outer);

IDirectSound* CreateSoundDevice() {
  HMODULE library = LoadLibraryA("dsound.dll");
  if (library == nullptr) return nullptr;
  auto create = reinterpret_cast<DirectSoundCreateFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "DirectSoundCreate")));
  IDirectSound* sound = nullptr;
  if (create == nullptr || FAILED(create(nullptr, &sound, nullptr))) return nullptr;
  return sound;
}

// A tone of 2000 pulses of 2168 T-states: about 1.2 s of signal.
void LoadTone(TapeBlockList& list) {
  const std::uint8_t tone[] = {0x12, 0x78, 0x08, 0xD0, 0x07};
  list.Append(NewOwnedBlock(tone, sizeof tone));
}

class DirectSoundNoise : public ::testing::Test {
 protected:
  void SetUp() override {
    sound = CreateSoundDevice();
    if (sound == nullptr) {
      GTEST_SKIP() << "no DirectSound device (ALSA_CONFIG_PATH should name tests/windows/alsa-null.conf)";
    }
    ASSERT_EQ(RESULT_OK, sound->SetCooperativeLevel(GetDesktopWindow(), PRIORITY_LEVEL));
    machine.soundDevice = sound;
    machine.realTime = 1;
    void* out = nullptr;
    ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IDevice, &out));
    device = static_cast<IDevice*>(out);
  }

  void TearDown() override {
    if (device != nullptr) device->Release();
    if (sound != nullptr) {
      EXPECT_EQ(0u, sound->Release()) << "every reference to the device was given back";
    }
  }

  TapeDeck& Deck() { return static_cast<TapePlugin*>(device)->Deck(); }

  // One frame in which the loader reads the port a few times.
  void RunFrame() {
    machine.clock = 0;
    ASSERT_EQ(RESULT_OK, device->BeginFrame(0));
    for (std::uint32_t at = 0; at < FRAME_TSTATES; at += 7000) {
      machine.clock = at;
      std::uint8_t value = 0xBF;
      device->ReadPort(0xFE, &value);
    }
    machine.clock = FRAME_TSTATES;
    ASSERT_EQ(RESULT_OK, device->EndFrame(0, 0));
  }

  IDirectSound* sound = nullptr;
  test::ScriptedMachine machine;
  IDevice* device = nullptr;
};

TEST_F(DirectSoundNoise, BufferIsCreatedPlayedStoppedAndReleased) {
  ASSERT_EQ(RESULT_OK, device->Attach(&machine));
  ASSERT_NE(nullptr, Deck().noiseBuffer) << "the noise buffer is made at attach";

  LoadTone(static_cast<TapePlugin*>(device)->BlockList());
  Deck().ResetDeck();
  Deck().loadingNoise = 1;
  ASSERT_TRUE(Deck().Play());
  for (int frame = 0; frame < 3; ++frame) RunFrame();
  EXPECT_EQ(0u, Deck().noisePlaying) << "three frames are written ahead of the play cursor";
  RunFrame();
  EXPECT_EQ(1u, Deck().noisePlaying);
  for (int frame = 0; frame < 20; ++frame) RunFrame();
  EXPECT_EQ(1u, Deck().noisePlaying);

  std::uint32_t status = 0;
  ASSERT_EQ(RESULT_OK, Deck().noiseBuffer->GetStatus(&status));
  EXPECT_TRUE(status & BUFFER_PLAYING);
  EXPECT_TRUE(status & BUFFER_LOOPING);

  ASSERT_TRUE(Deck().Stop());
  RunFrame();
  EXPECT_EQ(0u, Deck().noisePlaying) << "the frame start after the stop silences the buffer";

  ASSERT_EQ(RESULT_OK, device->Detach());
  EXPECT_EQ(nullptr, Deck().noiseBuffer);
  EXPECT_EQ(nullptr, Deck().soundDevice);
}

}  // namespace
}  // namespace reelbox

// The loading noise on a real DirectSound device: the deck's buffer is created
// at attach, played from the fourth frame, stopped when the tape stops and
// released at detach. The plug-in's declarations come before the system's,
// whose sound constants are macros of the same names.
// clang-format off
#include "unit/deck_harness.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <gtest/gtest.h>
// clang-format on

namespace reelbox::test {
namespace {

// DirectSound reached through the plug-in's own declarations of its slots, so
// the test also proves that they fit the system's objects.
using DirectSoundCreateFunction = HRESULT(WINAPI*)(const GUID* device, IDirectSound** sound, IUnknown* outer);

TEST(DirectSoundNoise, BufferIsCreatedPlayedStoppedAndReleased) {
  HMODULE library = LoadLibraryA("dsound.dll");
  auto create = reinterpret_cast<DirectSoundCreateFunction>(
      reinterpret_cast<void*>(library != nullptr ? GetProcAddress(library, "DirectSoundCreate") : nullptr));
  IDirectSound* sound = nullptr;
  if (create == nullptr || FAILED(create(nullptr, &sound, nullptr))) {
    GTEST_SKIP() << "no DirectSound device (ALSA_CONFIG_PATH should name tests/windows/alsa-null.conf)";
  }
  ASSERT_EQ(RESULT_OK, sound->SetCooperativeLevel(GetDesktopWindow(), 2));  // DSSCL_PRIORITY
  {
    DeckHarness harness;  // attached without sound: attach again with the device
    harness.Device().Detach();
    harness.machine.soundDevice = sound;
    harness.machine.realTime = 1;
    ASSERT_EQ(RESULT_OK, harness.Device().Attach(&harness.machine));
    TapeDeck& deck = harness.Deck();
    ASSERT_NE(nullptr, deck.noiseBuffer) << "the noise buffer is made at attach";
    harness.Load({PureTone(2168, 2000)});  // about 1.2 s
    deck.loadingNoise = 1;
    ASSERT_TRUE(deck.Play());
    for (int i = 0; i < 3; ++i) harness.NextFrame();
    EXPECT_EQ(0u, deck.noisePlaying) << "three frames are written ahead of the play cursor";
    for (int i = 0; i < 20; ++i) {
      harness.NextFrame();
      EXPECT_EQ(1u, deck.noisePlaying) << "frame " << i + 4;
    }
    std::uint32_t status = 0;
    ASSERT_EQ(RESULT_OK, deck.noiseBuffer->GetStatus(&status));
    EXPECT_EQ(5u, status & 5) << "DSBSTATUS_PLAYING and DSBSTATUS_LOOPING";
    ASSERT_TRUE(deck.Stop());
    harness.NextFrame();
    EXPECT_EQ(0u, deck.noisePlaying) << "the frame start after the stop silences the buffer";
    ASSERT_EQ(RESULT_OK, harness.Device().Detach());
    EXPECT_EQ(nullptr, deck.noiseBuffer);
    EXPECT_EQ(nullptr, deck.soundDevice);
  }
  EXPECT_EQ(0u, sound->Release()) << "every reference to the device was given back";
}

}  // namespace
}  // namespace reelbox::test

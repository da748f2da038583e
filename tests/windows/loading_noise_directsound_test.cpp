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
  test::ScriptedMachine machine;
  machine.soundDevice = sound;
  machine.realTime = 1;
  void* out = nullptr;
  ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IDevice, &out));
  auto* device = static_cast<IDevice*>(out);
  TapeDeck& deck = static_cast<TapePlugin*>(device)->Deck();
  // One frame in which the loader reads the port a few times.
  const auto frame = [&] {
    device->BeginFrame(0);
    for (machine.clock = 0; machine.clock < machine.frameLength; machine.clock += 7000) {
      std::uint8_t value = 0xBF;
      device->ReadPort(0xFE, &value);
    }
    machine.clock = machine.frameLength;
    device->EndFrame(0, 0);
  };

  ASSERT_EQ(RESULT_OK, device->Attach(&machine));
  ASSERT_NE(nullptr, deck.noiseBuffer) << "the noise buffer is made at attach";
  const std::uint8_t tone[] = {0x12, 0x78, 0x08, 0xD0, 0x07};  // 2000 pulses: about 1.2 s
  static_cast<TapePlugin*>(device)->BlockList().Append(NewOwnedBlock(tone, sizeof tone));
  deck.ResetDeck();
  deck.loadingNoise = 1;
  ASSERT_TRUE(deck.Play());
  for (int i = 0; i < 3; ++i) frame();
  EXPECT_EQ(0u, deck.noisePlaying) << "three frames are written ahead of the play cursor";
  for (int i = 0; i < 20; ++i) {
    frame();
    EXPECT_EQ(1u, deck.noisePlaying) << "frame " << i + 4;
  }
  std::uint32_t status = 0;
  ASSERT_EQ(RESULT_OK, deck.noiseBuffer->GetStatus(&status));
  EXPECT_EQ(5u, status & 5) << "DSBSTATUS_PLAYING and DSBSTATUS_LOOPING";
  ASSERT_TRUE(deck.Stop());
  frame();
  EXPECT_EQ(0u, deck.noisePlaying) << "the frame start after the stop silences the buffer";
  ASSERT_EQ(RESULT_OK, device->Detach());
  EXPECT_EQ(nullptr, deck.noiseBuffer);
  EXPECT_EQ(nullptr, deck.soundDevice);
  device->Release();
  EXPECT_EQ(0u, sound->Release()) << "every reference to the device was given back";
}

}  // namespace
}  // namespace reelbox

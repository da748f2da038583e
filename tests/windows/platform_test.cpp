// The plug-in's operating-system services as Windows gives them: files and
// views, guarded reads, message windows, the version, the key states and the
// loading noise through DirectSound. The plug-in's declarations come before
// the system's, whose sound constants are macros of the same names.
// clang-format off
#include "unit/deck_harness.h"
#include "unit/tape_files.h"

#include <gtest/gtest.h>
#include <windows.h>
// clang-format on

#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/guarded_read.h"
#include "platform/key_state.h"
#include "platform/os_version.h"
#include "platform/system_error.h"
#include "platform/window_messages.h"

namespace reelbox::platform {
namespace {

constexpr HResult SHARING_VIOLATION = static_cast<HResult>(0x80070020u);
constexpr HResult INVALID_PARAMETER = static_cast<HResult>(0x80070057u);
constexpr HResult NO_ACCESS = static_cast<HResult>(0x800703E6u);

// The sharing rules Windows adds to the files and views every tape is read through.
TEST(Win32File, ReadersShareWritersAreRefusedAndViewsOutliveTheirFile) {
  const test::ScratchFolder folder;
  const std::string path = folder.Write("digits.bin", {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'});
  std::unique_ptr<MappedView> view;
  {
    File first, second, writer;
    ASSERT_EQ(RESULT_OK, first.OpenForSharedRead(path.c_str()));
    EXPECT_EQ(RESULT_OK, second.OpenForSequentialRead(path.c_str()));
    EXPECT_EQ(SHARING_VIOLATION, writer.OpenForReadWrite(path.c_str(), false));
    EXPECT_EQ(32, LastSystemError());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(INVALID_PARAMETER, MapReadOnly(first, 0, &view));
    ASSERT_EQ(RESULT_OK, MapReadOnly(first, 10, &view));
  }
  ASSERT_EQ(10u, view->Size());
  EXPECT_EQ(0, std::memcmp("0123456789", view->Data(), 10));
}

// Reserved pages with nothing behind them fault here, in a nested guard and in another thread.
TEST(GuardedRead, AReadFaultEndsTheCallWithTheSystemErrorAndTheThreadGoesOn) {
  auto* range = static_cast<volatile std::uint8_t*>(VirtualAlloc(nullptr, 65536, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(nullptr, range);
  int reached = 0;
  auto faulting = [&]() -> HResult {
    reached = 1;
    reached = 2 + range[100];
    return RESULT_OK;
  };
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(NO_ACCESS, RunGuarded(faulting));
    EXPECT_EQ(1, reached);
    EXPECT_EQ(998, LastSystemError());
  }
  auto inner = [&]() -> HResult { return range[0] == 0 ? RESULT_OK : RESULT_FALSE; };
  HResult innerResult = RESULT_OK, otherThread = RESULT_OK;
  auto outer = [&]() -> HResult {
    innerResult = RunGuarded(inner);
    return range[1] == 0 ? RESULT_OK : RESULT_FALSE;
  };
  EXPECT_EQ(NO_ACCESS, RunGuarded(outer));
  EXPECT_EQ(NO_ACCESS, innerResult);
  std::thread([&] { otherThread = RunGuarded(inner); }).join();
  EXPECT_EQ(NO_ACCESS, otherThread);
  VirtualFree(const_cast<std::uint8_t*>(range), 0, MEM_RELEASE);
}

constexpr std::uint32_t WM_PROBE = WINDOW_MESSAGE_USER + 0x100;
using Seen = std::vector<std::pair<std::uint32_t, MessageWParam>>;

MessageResult Record(void* context, WindowHandle, std::uint32_t message, MessageWParam wParam, MessageLParam) {
  static_cast<Seen*>(context)->push_back({message, wParam});
  return 0;
}

// Beyond the unit tests' event windows: destruction and parenthood.
TEST(MessageWindow, PostedMessagesWaitForTheLoopAndDestructionIsReported) {
  HWND parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (parent == nullptr) GTEST_SKIP() << "no display for a top-level window: run under xvfb-run";
  Seen seen;
  WindowHandle window = CreateMessageWindow(parent, &Record, &seen);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(parent, GetParent(static_cast<HWND>(window)));
  ASSERT_TRUE(PostWindowMessage(window, WM_PROBE, 1, -1));
  EXPECT_TRUE(seen.empty()) << "creation is not forwarded and posting does not wait";
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  DestroyWindow(parent);  // a child goes with its parent
  EXPECT_EQ((Seen{{WM_PROBE, 1}, {WM_DESTROY, 0}, {WM_NCDESTROY, 0}}), seen);
  EXPECT_FALSE(IsWindow(static_cast<HWND>(window)));
  EXPECT_FALSE(PostWindowMessage(window, WM_PROBE, 0, 0));
}

// The NT family is platform 2; nobody types during the tests, so no modifier is held.
TEST(OsServices, VersionIsOfTheNtFamilyAndNoModifierIsHeld) {
  const OsVersion version = GetOsVersion();
  EXPECT_EQ(2u, version.platformId);
  EXPECT_GE(version.major, 6u);
  EXPECT_FALSE(IsShiftKeyDown() || IsControlKeyDown());
}

// DirectSound reached through the plug-in's own declarations of its slots, so
// the test also proves that they fit the system's objects.
using DirectSoundCreateFunction = HRESULT(WINAPI*)(const GUID* device, IDirectSound** sound, IUnknown* outer);

// The deck's noise buffer is created at attach, played from the fourth frame,
// stopped when the tape stops and released at detach.
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
    test::DeckHarness harness;  // attached without sound: attach again with the device
    harness.Device().Detach();
    harness.machine.soundDevice = sound;
    harness.machine.realTime = 1;
    ASSERT_EQ(RESULT_OK, harness.Device().Attach(&harness.machine));
    TapeDeck& deck = harness.Deck();
    ASSERT_NE(nullptr, deck.noiseBuffer) << "the noise buffer is made at attach";
    harness.Load({test::PureTone(2168, 2000)});  // about 1.2 s
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
}  // namespace reelbox::platform

// The plug-in's operating-system services as Windows gives them: files and
// views, guarded reads, message windows, the version and the key states.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/guarded_read.h"
#include "platform/key_state.h"
#include "platform/os_version.h"
#include "platform/system_error.h"
#include "platform/window_messages.h"

namespace reelbox::platform {
namespace {

constexpr HResult FILE_NOT_FOUND = static_cast<HResult>(0x80070002u);
constexpr HResult SHARING_VIOLATION = static_cast<HResult>(0x80070020u);
constexpr HResult INVALID_PARAMETER = static_cast<HResult>(0x80070057u);
constexpr HResult NO_ACCESS = static_cast<HResult>(0x800703E6u);

std::string TempPath(const char* name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "reelbox_" + std::to_string(GetCurrentProcessId()) + name;
}

TEST(Win32File, ReadersShareWritersAreRefusedAndViewsOutliveTheirFile) {
  const std::string path = TempPath(".bin");
  {
    File file;
    ASSERT_EQ(RESULT_OK, file.OpenForReadWrite(path.c_str(), true));
    ASSERT_EQ(RESULT_OK, file.Write("0123456789", 10));
  }
  std::unique_ptr<MappedView> view;
  {
    File first, second, writer;
    ASSERT_EQ(RESULT_OK, first.OpenForSharedRead(path.c_str()));
    EXPECT_EQ(RESULT_OK, second.OpenForSequentialRead(path.c_str()));
    EXPECT_EQ(SHARING_VIOLATION, writer.OpenForReadWrite(path.c_str(), false));
    EXPECT_EQ(32, LastSystemError());
    EXPECT_FALSE(writer.IsOpen());
    std::uint64_t size = 0;
    ASSERT_EQ(RESULT_OK, first.GetSize(&size));
    ASSERT_EQ(RESULT_OK, MapReadOnly(first, size, &view));
    EXPECT_EQ(INVALID_PARAMETER, MapReadOnly(first, 0, &view));
    ASSERT_EQ(RESULT_OK, MapReadOnly(first, size, &view));
    // Seek, tell and reads short at the end.
    ASSERT_EQ(RESULT_OK, second.Seek(6));
    char buffer[8] = {};
    std::uint32_t got = 0;
    ASSERT_EQ(RESULT_OK, second.Read(buffer, sizeof buffer, &got));
    EXPECT_EQ(std::string("6789"), std::string(buffer, got));
    ASSERT_EQ(RESULT_OK, second.Read(buffer, sizeof buffer, &got));
    EXPECT_EQ(0u, got);
    std::uint64_t at = 0;
    ASSERT_EQ(RESULT_OK, second.Tell(&at));
    EXPECT_EQ(10u, at);
  }
  ASSERT_EQ(10u, view->Size());
  EXPECT_EQ(0, std::memcmp("0123456789", view->Data(), 10));
  view.reset();
  File missing;
  EXPECT_EQ(FILE_NOT_FOUND, missing.OpenForSharedRead((path + ".absent").c_str()));
  DeleteFileA(path.c_str());
}

// Address space reserved with no pages behind it: every read faults, in this
// thread, in a nested guard and in another thread's own guard.
TEST(GuardedRead, AReadFaultEndsTheCallWithTheSystemErrorAndTheThreadGoesOn) {
  auto* range = static_cast<volatile std::uint8_t*>(VirtualAlloc(nullptr, 65536, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(nullptr, range);
  auto own = []() -> HResult { return RESULT_FALSE; };
  EXPECT_EQ(RESULT_FALSE, RunGuarded(own));
  int reached = 0;
  auto faulting = [&]() -> HResult {
    reached = 1;
    reached = 2 + range[100];
    return RESULT_OK;
  };
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(NO_ACCESS, RunGuarded(faulting));
    EXPECT_EQ(1, reached);
    EXPECT_EQ(998, LastSystemError());
  }
  HResult inner = RESULT_OK;
  auto innerCall = [&]() -> HResult { return range[0] == 0 ? RESULT_OK : RESULT_FALSE; };
  auto outer = [&]() -> HResult {
    inner = RunGuarded(innerCall);
    return range[1] == 0 ? RESULT_OK : RESULT_FALSE;
  };
  EXPECT_EQ(NO_ACCESS, RunGuarded(outer));
  EXPECT_EQ(NO_ACCESS, inner);
  struct Work {
    HResult result;
    volatile std::uint8_t* address;
  } work{RESULT_FAIL, range};
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID parameter) -> DWORD {
        auto* job = static_cast<Work*>(parameter);
        job->result = RunGuarded(
            [](void* address) -> HResult {
              return static_cast<volatile std::uint8_t*>(address)[7] == 0 ? RESULT_OK : RESULT_FALSE;
            },
            const_cast<std::uint8_t*>(job->address));
        return 0;
      },
      &work, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_EQ(NO_ACCESS, work.result);
  VirtualFree(const_cast<std::uint8_t*>(range), 0, MEM_RELEASE);
}

constexpr std::uint32_t WM_PROBE = WINDOW_MESSAGE_USER + 0x100;

struct Recorder {
  std::vector<std::uint32_t> messages;
  std::vector<MessageWParam> wParams;
  static MessageResult Procedure(void* context, WindowHandle, std::uint32_t message, MessageWParam wParam,
                                 MessageLParam) {
    static_cast<Recorder*>(context)->messages.push_back(message);
    static_cast<Recorder*>(context)->wParams.push_back(wParam);
    return 0;
  }
};

void DispatchPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(MessageWindow, PostedMessagesArriveInOrderAndDestructionIsReported) {
  HWND parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (parent == nullptr) GTEST_SKIP() << "no display for a top-level window: run under xvfb-run";
  for (int round = 0; round < 2; ++round) {  // windows can be made again after the last is gone
    Recorder alone, child;
    WindowHandle a = CreateMessageWindow(nullptr, &Recorder::Procedure, &alone);
    WindowHandle b = CreateMessageWindow(parent, &Recorder::Procedure, &child);
    ASSERT_TRUE(a != nullptr && b != nullptr);
    EXPECT_EQ(parent, GetParent(static_cast<HWND>(b)));
    EXPECT_TRUE(alone.messages.empty()) << "creation messages are not forwarded";
    ASSERT_TRUE(PostWindowMessage(a, WM_PROBE, 1, -1) && PostWindowMessage(a, WM_PROBE, 2, 0));
    EXPECT_TRUE(alone.messages.empty()) << "posting does not wait";
    DispatchPending();
    EXPECT_EQ((std::vector<MessageWParam>{1, 2}), alone.wParams);
    DestroyMessageWindow(a);
    EXPECT_EQ((std::vector<std::uint32_t>{WM_PROBE, WM_PROBE, WM_DESTROY, WM_NCDESTROY}), alone.messages);
    EXPECT_FALSE(PostWindowMessage(a, WM_PROBE, 0, 0));
    if (round == 0) {
      DestroyMessageWindow(b);
      continue;
    }
    DestroyWindow(parent);  // a child goes with its parent
    EXPECT_EQ((std::vector<std::uint32_t>{WM_DESTROY, WM_NCDESTROY}), child.messages);
    EXPECT_FALSE(IsWindow(static_cast<HWND>(b)));
  }
}

// The deck and the tape writer tell the NT family (platform 2) and its releases
// apart; nobody types during the tests, so auto-load sees no modifier held.
TEST(OsServices, VersionIsOfTheNtFamilyAndNoModifierIsHeld) {
  const OsVersion version = GetOsVersion();
  EXPECT_EQ(2u, version.platformId);
  EXPECT_GE(version.major, 6u);
  EXPECT_FALSE(IsShiftKeyDown() || IsControlKeyDown());
}

}  // namespace
}  // namespace reelbox::platform

// Message windows: posted messages reach the procedure with its context
// through the window system's queue, and destruction is reported.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "platform/window_messages.h"

namespace reelbox::platform {
namespace {

constexpr std::uint32_t WM_PROBE = WINDOW_MESSAGE_USER + 0x100;

struct Received {
  WindowHandle window;
  std::uint32_t message;
  MessageWParam wParam;
  MessageLParam lParam;
};

struct Recorder {
  std::vector<Received> messages;

  static MessageResult Procedure(void* context, WindowHandle window, std::uint32_t message, MessageWParam wParam,
                                 MessageLParam lParam) {
    static_cast<Recorder*>(context)->messages.push_back(Received{window, message, wParam, lParam});
    return 0;
  }
};

void DispatchPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(MessageWindow, PostedMessagesArriveInOrderWithTheirContext) {
  Recorder recorder;
  WindowHandle window = CreateMessageWindow(nullptr, &Recorder::Procedure, &recorder);
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(recorder.messages.empty()) << "creation messages are not forwarded";
  ASSERT_TRUE(PostWindowMessage(window, WM_PROBE, 1, -1));
  ASSERT_TRUE(PostWindowMessage(window, WM_PROBE, 2, 0x7FFFFFFF));
  EXPECT_TRUE(recorder.messages.empty()) << "posting does not wait";
  DispatchPending();
  ASSERT_EQ(2u, recorder.messages.size());
  EXPECT_EQ(window, recorder.messages[0].window);
  EXPECT_EQ(WM_PROBE, recorder.messages[0].message);
  EXPECT_EQ(1u, recorder.messages[0].wParam);
  EXPECT_EQ(-1, recorder.messages[0].lParam);
  EXPECT_EQ(2u, recorder.messages[1].wParam);
  DestroyMessageWindow(window);
}

TEST(MessageWindow, DestroyingTellsTheProcedureAndEndsPosting) {
  Recorder recorder;
  WindowHandle window = CreateMessageWindow(nullptr, &Recorder::Procedure, &recorder);
  ASSERT_NE(nullptr, window);
  DestroyMessageWindow(window);
  ASSERT_EQ(2u, recorder.messages.size());
  EXPECT_EQ(static_cast<std::uint32_t>(WM_DESTROY), recorder.messages[0].message);
  EXPECT_EQ(static_cast<std::uint32_t>(WM_NCDESTROY), recorder.messages[1].message);
  EXPECT_FALSE(PostWindowMessage(window, WM_PROBE, 0, 0));
}

TEST(MessageWindow, ChildOfAParentGoesWithIt) {
  HWND parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (parent == nullptr) GTEST_SKIP() << "no display for a top-level window: run under xvfb-run";
  Recorder recorder;
  WindowHandle window = CreateMessageWindow(parent, &Recorder::Procedure, &recorder);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(parent, GetParent(static_cast<HWND>(window)));
  ASSERT_TRUE(PostWindowMessage(window, WM_PROBE, 3, 0));
  DispatchPending();
  DestroyWindow(parent);
  ASSERT_EQ(3u, recorder.messages.size());
  EXPECT_EQ(WM_PROBE, recorder.messages[0].message);
  EXPECT_EQ(static_cast<std::uint32_t>(WM_NCDESTROY), recorder.messages[2].message);
  EXPECT_FALSE(IsWindow(static_cast<HWND>(window)));
}

TEST(MessageWindow, WindowsCanBeMadeAgainAfterTheLastIsGone) {
  for (int round = 0; round < 3; ++round) {
    Recorder first;
    Recorder second;
    WindowHandle a = CreateMessageWindow(nullptr, &Recorder::Procedure, &first);
    WindowHandle b = CreateMessageWindow(nullptr, &Recorder::Procedure, &second);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    PostWindowMessage(b, WM_PROBE, round, 0);
    DispatchPending();
    EXPECT_TRUE(first.messages.empty());
    ASSERT_EQ(1u, second.messages.size());
    DestroyMessageWindow(a);
    DestroyMessageWindow(b);
  }
}

}  // namespace
}  // namespace reelbox::platform

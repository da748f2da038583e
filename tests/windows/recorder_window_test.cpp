// The recorder window of the built reelbox.dll in a real Windows host: its
// controls read back through their own messages after clicks, list clicks
// and accelerator keys, and photographed.
// The common controls header needs windows.h before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "windows/test_host.h"

namespace reelbox::test {
namespace {

constexpr UINT ID_PLAY = 1001;
constexpr UINT ID_STOP = 1004;
constexpr UINT ID_EJECT = 1005;
constexpr UINT ID_DETAILED_TOC = 1009;
constexpr UINT TRANSPORT[] = {1000, 1001, 1002, 1003, 1004, 1005, 1006};

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void StandardBlock(Bytes& tape, std::uint8_t flag, const Bytes& body) {
  tape.push_back(0x10);
  Put16(tape, 1000);
  Put16(tape, static_cast<unsigned>(body.size() + 2));
  std::uint8_t checksum = flag;
  tape.push_back(flag);
  for (std::uint8_t byte : body) {
    tape.push_back(byte);
    checksum ^= byte;
  }
  tape.push_back(checksum);
}

// A program header and its data, a group, a loop and a pause, and a stop.
Bytes SampleTzx() {
  Bytes tape = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
  StandardBlock(tape, 0x00, {0, 'r', 'e', 'e', 'l', 'b', 'o', 'x', ' ', ' ', ' ', 5, 0, 10, 0, 5, 0});
  StandardBlock(tape, 0xFF, {0, 10, 1, 0, 0xEA});
  tape.insert(tape.end(), {0x21, 5, 'I', 'n', 't', 'r', 'o'});
  tape.insert(tape.end(), {0x12, 0x78, 0x08, 0xFF, 0xFF});  // a long tone: the deck stays here a while
  tape.push_back(0x22);
  tape.insert(tape.end(), {0x24, 2, 0});
  tape.insert(tape.end(), {0x12, 0x78, 0x08, 0xFF, 0xFF});
  tape.push_back(0x25);
  tape.insert(tape.end(), {0x20, 0xE8, 0x03});
  tape.insert(tape.end(), {0x20, 0, 0});
  return tape;
}

std::string TempTape() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "recorder_" + std::to_string(GetCurrentProcessId()) + ".tzx";
  const Bytes tape = SampleTzx();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return {};
  std::fwrite(tape.data(), 1, tape.size(), file);
  std::fclose(file);
  return path;
}

std::string Screenshots(const char* name) {
  const std::string folder = WindowsPath(REELBOX_SCREENSHOTS_DIR);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\" + name;
}

std::string Title(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string StatusText(HWND status, int part) {
  char text[256] = "";
  SendMessageA(status, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
  return text;
}

std::vector<std::string> Rows(HWND list) {
  std::vector<std::string> rows;
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    char text[256] = "";
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    rows.push_back(text);
  }
  return rows;
}

bool Enabled(HWND toolbar, UINT command) { return SendMessageA(toolbar, TB_ISBUTTONENABLED, command, 0) != 0; }
bool Pressed(HWND toolbar, UINT command) { return SendMessageA(toolbar, TB_ISBUTTONCHECKED, command, 0) != 0; }

POINT ButtonCentre(HWND toolbar, UINT command) {
  RECT rect{};
  SendMessageA(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect));
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT RowCentre(HWND list, int row) {
  RECT rect{};
  rect.left = LVIR_LABEL;
  SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
  return POINT{rect.left + 10, (rect.top + rect.bottom) / 2};
}

// Waits, pumping messages, until the status bar's part shows text.
bool WaitForStatus(WindowsTestHost& host, HWND status, int part, const std::string& text) {
  for (int i = 0; i < 60 && StatusText(status, part) != text; ++i) host.Pump(50);
  return StatusText(status, part) == text;
}

TEST(RecorderWindow, ControlsFollowTheTapeTheDeckAndTheUser) {
  WindowsTestHost host;
  if (host.MainWindow() == nullptr) GTEST_SKIP() << "no display for a top-level window: run under xvfb-run";
  ASSERT_EQ(RESULT_OK, host.LoadPlugin(WindowsPath(REELBOX_PLUGIN_PATH)));
  ASSERT_EQ(RESULT_OK, host.CreateToolWindow());
  HWND window = FindWindowA("CassetteRecorder", nullptr);
  ASSERT_NE(nullptr, window);
  HWND options = GetDlgItem(window, 1000);
  HWND list = GetDlgItem(window, 1001);
  HWND transport = GetDlgItem(window, 1002);
  HWND status = GetDlgItem(window, 1003);
  ASSERT_TRUE(options && list && transport && status);

  // The menu item and F6 show the window; the host's button follows.
  const std::uint32_t menuCommand = host.CommandWithText("&Cassette Recorder\tF6");
  ASSERT_NE(0u, menuCommand);
  EXPECT_FALSE(IsWindowVisible(window));
  host.PressKey(VK_F6);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(Pressed(host.Toolbar(), menuCommand));
  SendMessageA(host.MainWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(host.ToolsMenu()), 0);
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(host.ToolsMenu(), menuCommand, MF_BYCOMMAND) & MF_CHECKED);

  EXPECT_EQ("Empty - Cassette Recorder", Title(window));
  EXPECT_EQ("Empty", StatusText(status, 0));
  for (UINT command : TRANSPORT) EXPECT_FALSE(Enabled(transport, command)) << command;
  EXPECT_TRUE(host.Screenshot(Screenshots("recorder-no-tape.png")));

  const std::string tape = TempTape();
  ASSERT_EQ(RESULT_OK, host.OpenTape(tape));
  EXPECT_EQ(0u, Title(window).find("recorder_"));
  const std::vector<std::string> simple = {"Program: reelbox    LINE 10", "Normal Data Block (5 bytes)",
                                           "[ Group: Intro ]", "Pure Tone (65535 pulses)", "[ Stop The Tape ]"};
  EXPECT_EQ(simple, Rows(list));
  EXPECT_EQ("Stopped", StatusText(status, 0));
  EXPECT_EQ("Block 1 of 10", StatusText(status, 1));
  EXPECT_TRUE(Enabled(transport, ID_PLAY) && Enabled(transport, ID_EJECT));
  EXPECT_TRUE(Pressed(transport, ID_STOP));
  EXPECT_TRUE(host.Screenshot(Screenshots("recorder-simple.png")));

  host.Click(options, ButtonCentre(options, ID_DETAILED_TOC));
  EXPECT_TRUE(Pressed(options, ID_DETAILED_TOC));
  ASSERT_EQ(10u, Rows(list).size());
  EXPECT_EQ("[ Loop 2 Times ]", Rows(list)[5]);
  EXPECT_EQ("[ Pause 1000 ms ]", Rows(list)[8]);
  EXPECT_TRUE(host.Screenshot(Screenshots("recorder-detailed.png")));

  // A click on the tone's row moves the deck there; F7 plays.
  ASSERT_EQ(RESULT_OK, host.StartEmulation());
  host.Click(list, RowCentre(list, 3));
  EXPECT_TRUE(WaitForStatus(host, status, 1, "Block 4 of 10"));
  host.PressKey(VK_F7);
  EXPECT_TRUE(WaitForStatus(host, status, 0, "Playing"));
  EXPECT_TRUE(Pressed(transport, ID_PLAY));
  EXPECT_FALSE(Enabled(transport, ID_EJECT));
  EXPECT_EQ(3, static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
  EXPECT_TRUE(host.Screenshot(Screenshots("recorder-playing.png")));

  host.ToolWindow()->LockControls(1);
  for (UINT command : TRANSPORT) EXPECT_FALSE(Enabled(transport, command)) << command;
  EXPECT_TRUE(Enabled(options, ID_DETAILED_TOC));
  EXPECT_TRUE(host.Screenshot(Screenshots("recorder-locked.png")));
  host.ToolWindow()->LockControls(0);

  // Stop with the transport button; the host's toolbar button hides the window.
  host.Click(transport, ButtonCentre(transport, ID_STOP));
  EXPECT_TRUE(WaitForStatus(host, status, 0, "Stopped"));
  host.StopEmulation();
  host.Click(host.Toolbar(), ButtonCentre(host.Toolbar(), menuCommand));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(Pressed(host.Toolbar(), menuCommand));
  host.Click(host.Toolbar(), ButtonCentre(host.Toolbar(), menuCommand));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(Pressed(host.Toolbar(), menuCommand));
  EXPECT_TRUE(host.ScreenshotWithMenuOpen(Screenshots("host-toolbar-and-menu.png")));
  DeleteFileA(tape.c_str());
}

}  // namespace
}  // namespace reelbox::test

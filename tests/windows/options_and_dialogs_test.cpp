// The options page in a real property sheet, and the message and
// program-choice dialogs raised by a playing tape: driven by real messages,
// read back through the controls' own messages, and photographed.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which declares what it uses.
#include <commctrl.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "unit/tzx_builder.h"
#include "windows/png_writer.h"
#include "windows/test_host.h"

namespace reelbox::test {
namespace {

constexpr int APPLY_BUTTON = 0x3021;  // the property sheet's Apply button
constexpr const char* KEY = "Plugins\\Reelbox\\";
constexpr const char* MESSAGE_TITLE = "Reelbox Message - Kestrelix";

std::string ControlText(HWND dialog, int id) {
  char text[256] = {};
  SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The window's area of the screen as a PNG in the screenshot folder.
bool Photograph(HWND window, const char* name) {
  const std::string folder = WindowsPath(REELBOX_SCREENSHOTS_DIR);
  CreateDirectoryA(folder.c_str(), nullptr);
  return PhotographWindow(window, folder + "\\" + name);
}

// The host's settings dialog as its pages see it: help requests are noted
// with the help id the table gives for the control.
class HelpSheet final : public IOptionsSheet {
 public:
  HResult RB_CALL QueryInterface(const Guid&, void** out) override {
    *out = nullptr;
    return RESULT_NOINTERFACE;
  }
  std::uint32_t RB_CALL AddRef() override { return ++references; }
  std::uint32_t RB_CALL Release() override { return --references; }
  HResult RB_CALL SheetSlot3() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot4() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot7() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot8() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SheetSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL ShowContextHelp(WindowHandle window, std::uint32_t, std::uint32_t command,
                                  const std::uint32_t* helpIds) override {
    const auto control = static_cast<std::uint32_t>(GetDlgCtrlID(static_cast<HWND>(window)));
    for (const std::uint32_t* pair = helpIds; pair[0] != 0; pair += 2) {
      if (pair[0] == control) requests.push_back({command, pair[1]});
    }
    return RESULT_OK;
  }

  std::vector<std::pair<std::uint32_t, std::uint32_t>> requests;  // command, help id
  std::uint32_t references = 1;
};

// The options toolbar's fast loading, auto play, loading noise and auto load
// buttons, on the recorder window among this thread's windows.
std::vector<bool> OptionButtonsPressed() {
  HWND toolbar = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM found) -> BOOL {
        EnumChildWindows(
            window,
            [](HWND child, LPARAM found) -> BOOL {
              char name[32] = {};
              GetClassNameA(child, name, sizeof name);
              if (std::string(name) != TOOLBARCLASSNAMEA || SendMessageA(child, TB_COMMANDTOINDEX, 1007, 0) < 0) {
                return TRUE;
              }
              *reinterpret_cast<HWND*>(found) = child;
              return FALSE;
            },
            found);
        return *reinterpret_cast<HWND*>(found) == nullptr;
      },
      reinterpret_cast<LPARAM>(&toolbar));
  std::vector<bool> pressed;
  for (int command : {1007, 1008, 1010, 1011}) {
    pressed.push_back(toolbar != nullptr && SendMessageA(toolbar, TB_ISBUTTONCHECKED, command, 0) != 0);
  }
  return pressed;
}

class PluginWindows : public ::testing::Test {
 protected:
  // Frames run on this thread between passes of the message loop, the
  // machine sitting in a loader's edge loop that reads the port every 100
  // T-states, so that a playing tape goes on.
  void Start() {
    ASSERT_EQ(RESULT_OK, host.LoadPlugin(WindowsPath(REELBOX_PLUGIN_PATH)));
    ASSERT_EQ(RESULT_OK, host.CreateToolWindow());
    host.Machine().Poke(0x8000, {0xA9, 0xE6, 0x20, 0x28});  // XOR C; AND 0x20; JR Z
    host.Machine().registers[REG_PC] = 0x8000;
    ASSERT_EQ(RESULT_OK, host.Device()->Attach(&host.Machine()));
    attached = true;
    RunFrame();  // the window's settings reach the deck at a frame start
  }

  void TearDown() override {
    if (attached) host.Device()->Detach();
  }

  void RunFrame() {
    ScriptedMachine& machine = host.Machine();
    host.Device()->BeginFrame(0);
    for (machine.clock = 0; machine.clock < machine.frameLength; machine.clock += 100) {
      std::uint8_t value = 0xBF;
      host.Device()->ReadPort(0xFE, &value);
    }
    machine.clock = machine.frameLength;
    host.Device()->EndFrame(0, 0);
    host.Pump(0);
  }

  // A message dialog showing text, waited for up to two seconds; null if none.
  HWND WaitForMessage(const std::string& text) {
    for (int i = 0; i < 100; ++i) {
      for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", MESSAGE_TITLE); window != nullptr;
           window = FindWindowExA(nullptr, window, "#32770", MESSAGE_TITLE)) {
        if (ControlText(window, 1001) == text) return window;
      }
      RunFrame();
    }
    return nullptr;
  }

  WindowsTestHost host;
  bool attached = false;
};

// A button of the page: its text, then its state when the page opens, after
// the test's clicks, and on a page opened after Apply. Each state is two
// letters: C checked or u unchecked, E enabled or d disabled.
struct PageButton {
  int id;
  const char* text;
  const char* states[3];
};

const PageButton PAGE_BUTTONS[] = {
    {1006, "Enable auto &loading", {"CE", "uE", "uE"}},
    {1007, "Auto &play / stop", {"CE", "uE", "uE"}},
    {1008, "Generate loading noi&se", {"CE", "uE", "uE"}},
    {1017, "&Boost loading noise volume", {"CE", "Cd", "Cd"}},
    {1018, "Stop at e&nd of tape", {"CE", "Cd", "Cd"}},
    {1010, "Enable F&ast loading", {"CE", "uE", "uE"}},
    {1009, "&Flashloading", {"CE", "Cd", "Cd"}},
    {1015, "Edge &detection", {"uE", "ud", "ud"}},
    {1011, "Save a lin&k to the current audio cassette file", {"CE", "uE", "uE"}},
    {1012, "&Embed the current audio cassette file", {"uE", "CE", "CE"}},
    {1016, "Ask &whether to embed large audio cassette files", {"Cd", "CE", "CE"}},
};

void ExpectPage(HWND page, int stage) {
  for (const PageButton& button : PAGE_BUTTONS) {
    HWND control = GetDlgItem(page, button.id);
    const std::string shown = std::string(SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "C" : "u") +
                              (IsWindowEnabled(control) ? "E" : "d");
    EXPECT_EQ(button.states[stage], shown) << button.text;
    if (stage == 0) {
      EXPECT_EQ(button.text, ControlText(page, button.id));
    }
  }
}

class OptionsPage : public PluginWindows {
 protected:
  // A modeless sheet holding the plug-in's page; the page's dialog.
  HWND OpenSheet() {
    IOptionsProvider* options = nullptr;
    host.ToolWindow()->QueryInterface(IID_IOptionsProvider, reinterpret_cast<void**>(&options));
    HPROPSHEETPAGE page = nullptr;
    EXPECT_EQ(RESULT_OK, options->CreatePage(&help, reinterpret_cast<PropertyPageHandle*>(&page)));
    options->Release();
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.hwndParent = host.MainWindow();
    header.pszCaption = "Options";
    header.nPages = 1;
    header.phpage = &page;
    sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    host.Pump(200);
    return sheet == nullptr ? nullptr : reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }

  void CloseSheet() {
    DestroyWindow(sheet);
    host.Pump(50);
  }

  HelpSheet help;
  HWND sheet = nullptr;
};

TEST_F(OptionsPage, ClicksEnableApplyReachesTheDeckAndTheToolbar) {
  host.Settings()[std::string(KEY) + "Edge Detection"] = 0;
  host.Settings()[std::string(KEY) + "Loud Tones"] = 1;
  Start();
  HWND page = OpenSheet();
  ASSERT_NE(nullptr, page);
  char caption[64] = {};
  TCITEMA tab = {};
  tab.mask = TCIF_TEXT;
  tab.pszText = caption;
  tab.cchTextMax = sizeof caption;
  SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tab));
  EXPECT_STREQ("Cassette Recorder", caption);
  EXPECT_EQ("Playback Options", ControlText(page, 1013));
  EXPECT_EQ("State Saving / Loading", ControlText(page, 1014));
  ExpectPage(page, 0);
  EXPECT_TRUE(Photograph(sheet, "options_page.png"));

  // F1 over a control asks the host for that control's topic.
  HELPINFO request = {};
  request.cbSize = sizeof request;
  request.iContextType = HELPINFO_WINDOW;
  for (int id : {1014, 1009}) {
    request.hItemHandle = GetDlgItem(page, id);
    SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&request));
  }
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> topics = {{HELP_WM_HELP, 1000}, {HELP_WM_HELP, 1028}};
  EXPECT_EQ(topics, help.requests);

  EXPECT_EQ((std::vector<bool>{true, true, true, true}), OptionButtonsPressed());
  for (int id : {1010, 1012, 1008, 1007, 1006}) SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
  ExpectPage(page, 1);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(sheet, APPLY_BUTTON)));
  SendMessageA(GetDlgItem(sheet, APPLY_BUTTON), BM_CLICK, 0, 0);
  host.Pump(50);
  EXPECT_EQ((std::vector<bool>{false, false, false, false}), OptionButtonsPressed());
  CloseSheet();

  // A new page shows what the deck and the window now hold.
  page = OpenSheet();
  ASSERT_NE(nullptr, page);
  ExpectPage(page, 2);
  CloseSheet();
  DestroyWindow(host.MainWindow());  // the recorder window writes its settings
  for (const char* name : {"Fast Load", "AutoPlay", "Loading Tones", "AutoLoad"}) {
    EXPECT_EQ(0u, host.Settings()[std::string(KEY) + name]) << name;
  }
}

std::string WriteTape(const std::vector<Bytes>& blocks) {
  Bytes tzx = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
  for (const Bytes& block : blocks) tzx.insert(tzx.end(), block.begin(), block.end());
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "dialogs_" + std::to_string(GetCurrentProcessId()) + ".tzx";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return {};
  std::fwrite(tzx.data(), 1, tzx.size(), file);
  std::fclose(file);
  return path;
}

using TapeDialogs = PluginWindows;

TEST_F(TapeDialogs, MessagesShowTheirLinesAndCloseOnTime) {
  Start();
  const Bytes tone = PureTone(2000, 200);  // about six frames
  const std::string tape =
      WriteTape({tone, MessageBlock(1, "Reelbox\rmessage test"), tone, MessageBlock(0, "Stays open"), tone});
  ASSERT_EQ(RESULT_OK, host.OpenTape(tape));
  host.PressKey(VK_F7);
  HWND first = WaitForMessage("Reelbox\r\nmessage test");
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(2, SendMessageA(GetDlgItem(first, 1001), EM_GETLINECOUNT, 0, 0));
  EXPECT_EQ(host.MainWindow(), GetWindow(first, GW_OWNER));
  EXPECT_NE(0, GetWindowLongA(first, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  HWND second = WaitForMessage("Stays open");
  ASSERT_NE(nullptr, second);
  EXPECT_TRUE(IsWindow(first));  // several messages can be open at once
  // Wine without a window manager stacks the activated owner over the dialogs
  // it owns (Windows keeps owned windows above): the user clicks the message.
  SetForegroundWindow(first);
  host.Pump(100);
  EXPECT_TRUE(Photograph(first, "message_dialog.png"));
  host.Pump(1300);
  EXPECT_FALSE(IsWindow(first));  // its one second is over
  EXPECT_TRUE(IsWindow(second));  // time 0: until the user closes it
  SendMessageA(second, WM_CLOSE, 0, 0);
  host.Pump(50);
  EXPECT_FALSE(IsWindow(second));
  DeleteFileA(tape.c_str());
}

// What the person at the program-choice dialog saw and did, from another thread.
struct ChoiceVisit {
  std::atomic<bool> done{false};
  std::vector<std::string> entries;
  std::string title;
  int selected = -1;
  bool photographed = false;

  void Run(int entry) {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && dialog == nullptr; ++i, Sleep(10)) dialog = FindWindowA("#32770", "Kestrelix");
    if (dialog == nullptr) return;
    Sleep(200);
    HWND list = GetDlgItem(dialog, 1005);
    char text[64];
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      entries.push_back(text);
    }
    GetWindowTextA(dialog, text, sizeof text);
    title = text;
    photographed = Photograph(dialog, "program_choice_dialog.png");
    RECT item;
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    Sleep(200);
    selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    done = true;
  }
};

TEST_F(TapeDialogs, AClickedChoiceJumpsToItsPart) {
  Start();
  Bytes body = {2};
  for (const std::string text : {"Side A", "Side B: the sequel"}) {
    body.insert(body.end(),
                {static_cast<std::uint8_t>(text == "Side A" ? 1 : 2), 0, static_cast<std::uint8_t>(text.size())});
    body.insert(body.end(), text.begin(), text.end());
  }
  Bytes select = {0x28, static_cast<std::uint8_t>(body.size()), 0};
  select.insert(select.end(), body.begin(), body.end());
  const std::string tape = WriteTape({PureTone(2000, 20), select, MessageBlock(0, "Loading side A"),
                                      MessageBlock(0, "Loading side B"), PauseBlock(0)});
  ASSERT_EQ(RESULT_OK, host.OpenTape(tape));
  ChoiceVisit visit;
  std::thread person([&visit] { visit.Run(1); });
  host.PressKey(VK_F7);
  HWND chosen = WaitForMessage("Loading side B");  // the choice runs inside this message loop
  person.join();
  ASSERT_TRUE(visit.done);
  EXPECT_EQ((std::vector<std::string>{"Side A", "Side B: the sequel"}), visit.entries);
  EXPECT_EQ("Kestrelix", visit.title);
  EXPECT_EQ(1, visit.selected);
  EXPECT_TRUE(visit.photographed);
  ASSERT_NE(nullptr, chosen);
  EXPECT_EQ(nullptr, WaitForMessage("Loading side A"));
  DestroyWindow(chosen);
  DeleteFileA(tape.c_str());
}

}  // namespace
}  // namespace reelbox::test

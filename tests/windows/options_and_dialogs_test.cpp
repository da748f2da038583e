// The options page in a real property sheet, and the message and
// program-choice dialogs raised by a playing tape: driven by real messages,
// read back through the controls' own messages, and photographed.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which declares what it uses.
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "../unit/scripted_machine.h"
#include "../unit/tzx_builder.h"
#include "windows_host.h"

namespace reelbox {
namespace {

using wintest::TapeEventSeen;

constexpr int APPLY_BUTTON = 0x3021;  // the property sheet's Apply button
constexpr const char* KEY = "Plugins\\Reelbox\\";

std::string ControlText(HWND dialog, int id) {
  char text[256] = {};
  SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

struct PageControl {
  int id;
  const char* text;
  bool checked;
  bool enabled;
};

// Reads every button of the page back through its own messages.
void ExpectPage(HWND page, const std::vector<PageControl>& controls) {
  for (const PageControl& control : controls) {
    SCOPED_TRACE(control.text);
    HWND button = GetDlgItem(page, control.id);
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(control.text, ControlText(page, control.id));
    EXPECT_EQ(control.checked, SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED);
    EXPECT_EQ(control.enabled, IsWindowEnabled(button) != 0);
  }
}

// The recorder window's toolbar that holds the command's button, among the
// windows of this thread; null when there is none.
HWND ToolbarWith(int command) {
  struct Search {
    int command;
    HWND found;
  } search{command, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) -> BOOL {
        auto* search = reinterpret_cast<Search*>(context);
        EnumChildWindows(
            window,
            [](HWND child, LPARAM inner) -> BOOL {
              auto* search = reinterpret_cast<Search*>(inner);
              char name[32] = {};
              GetClassNameA(child, name, sizeof name);
              if (std::string(name) == TOOLBARCLASSNAMEA &&
                  SendMessageA(child, TB_COMMANDTOINDEX, search->command, 0) >= 0) {
                search->found = child;
              }
              return search->found == nullptr;
            },
            context);
        return search->found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The options toolbar's fast loading, auto play, loading noise and auto load buttons.
std::vector<bool> OptionButtonsPressed() {
  std::vector<bool> pressed;
  for (int command : {1007, 1008, 1010, 1011}) {
    HWND toolbar = ToolbarWith(command);
    pressed.push_back(toolbar != nullptr && SendMessageA(toolbar, TB_ISBUTTONCHECKED, command, 0) != 0);
  }
  return pressed;
}

class WindowsPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    IUnknown* object = dll.Create(IID_IToolWindow);
    ASSERT_NE(nullptr, object);
    tool = static_cast<IToolWindow*>(object);
  }

  void TearDown() override {
    ReleaseDevice();
    DestroyWindow(shell.mainWindow);  // the recorder window goes with it and saves its settings
    wintest::PumpMessages(50);
    if (tool != nullptr) {
      EXPECT_EQ(0u, tool->Release());
    }
  }

  template <class Interface>
  Interface* Query(const Guid& riid) {
    void* out = nullptr;
    EXPECT_EQ(RESULT_OK, tool->QueryInterface(riid, &out));
    return static_cast<Interface*>(out);
  }

  // Creates the window and attaches the device to a machine that sits in a
  // loader's edge loop, so that auto play runs a tape; one frame lets the
  // window's settings reach the deck.
  void CreateAndAttach() {
    ASSERT_EQ(RESULT_OK, tool->Create(shell.mainWindow, &shell));
    machine.Poke(0x8000, {0xA9, 0xE6, 0x20, 0x28});  // XOR C; AND 0x20; JR Z
    machine.registers[REG_PC] = 0x8000;
    device = Query<IDevice>(IID_IDevice);
    ASSERT_EQ(RESULT_OK, device->Attach(&machine));
    RunFrames(1);
  }

  void ReleaseDevice() {
    if (device == nullptr) return;
    device->Detach();
    device->Release();
    device = nullptr;
  }

  // Frames with the loader reading the port every 100 T-states; the host's
  // loop runs between frames.
  void RunFrames(int frames) {
    for (int i = 0; i < frames; ++i) {
      device->BeginFrame(0);
      for (machine.clock = 0; machine.clock < machine.frameLength; machine.clock += 100) {
        std::uint8_t value = 0xBF;
        device->ReadPort(0xFE, &value);
      }
      machine.clock = machine.frameLength;
      device->EndFrame(0, 0);
      wintest::PumpMessages(0, &events);
    }
  }

  wintest::PluginDll dll;
  wintest::WindowsHostShell shell;
  IToolWindow* tool = nullptr;
  test::ScriptedMachine machine;
  IDevice* device = nullptr;
  std::vector<TapeEventSeen> events;
};

class OptionsPage : public WindowsPlugin {
 protected:
  // A modeless sheet holding the plug-in's page; the page's dialog.
  HWND OpenSheet() {
    auto* options = Query<IOptionsProvider>(IID_IOptionsProvider);
    HPROPSHEETPAGE page = nullptr;
    EXPECT_EQ(RESULT_OK, options->CreatePage(&sheetHost, reinterpret_cast<PropertyPageHandle*>(&page)));
    options->Release();
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.hwndParent = shell.mainWindow;
    header.pszCaption = "Options";
    header.nPages = 1;
    header.phpage = &page;
    sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    wintest::PumpMessages(200);
    return sheet == nullptr ? nullptr : reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  }

  void CloseSheet() {
    DestroyWindow(sheet);
    wintest::PumpMessages(50);
  }

  wintest::WindowsOptionsSheet sheetHost;
  HWND sheet = nullptr;
};

TEST_F(OptionsPage, ClicksEnableAndApplyReachesTheDeckAndTheStore) {
  shell.settings[std::string(KEY) + "Edge Detection"] = 0;
  shell.settings[std::string(KEY) + "Loud Tones"] = 1;
  CreateAndAttach();
  HWND page = OpenSheet();
  ASSERT_NE(nullptr, page);
  char caption[64] = {};
  TabCtrl_GetItemCount(PropSheet_GetTabControl(sheet));
  TCITEMA tab = {};
  tab.mask = TCIF_TEXT;
  tab.pszText = caption;
  tab.cchTextMax = sizeof caption;
  SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tab));
  EXPECT_STREQ("Cassette Recorder", caption);
  EXPECT_EQ("Playback Options", ControlText(page, 1013));
  EXPECT_EQ("State Saving / Loading", ControlText(page, 1014));
  ExpectPage(page, {{1006, "Enable auto &loading", true, true},
                    {1007, "Auto &play / stop", true, true},
                    {1008, "Generate loading noi&se", true, true},
                    {1017, "&Boost loading noise volume", true, true},
                    {1018, "Stop at e&nd of tape", true, true},
                    {1010, "Enable F&ast loading", true, true},
                    {1009, "&Flashloading", true, true},
                    {1015, "Edge &detection", false, true},
                    {1011, "Save a lin&k to the current audio cassette file", true, true},
                    {1012, "&Embed the current audio cassette file", false, true},
                    {1016, "Ask &whether to embed large audio cassette files", true, false}});
  EXPECT_TRUE(wintest::SaveScreenshot(sheet, "options_page.png"));

  // F1 over a control asks the host for that control's topic.
  HELPINFO help = {};
  help.cbSize = sizeof help;
  help.iContextType = HELPINFO_WINDOW;
  for (int id : {1014, 1009}) {
    help.hItemHandle = GetDlgItem(page, id);
    SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
  }
  ASSERT_EQ(2u, sheetHost.helpRequests.size());
  EXPECT_EQ(1000u, sheetHost.helpRequests[0].helpId);
  EXPECT_EQ(1028u, sheetHost.helpRequests[1].helpId);
  EXPECT_EQ(static_cast<std::uint32_t>(HELP_WM_HELP), sheetHost.helpRequests[1].command);

  for (int id : {1010, 1012, 1008, 1007, 1006}) SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
  ExpectPage(page, {{1006, "Enable auto &loading", false, true},
                    {1007, "Auto &play / stop", false, true},
                    {1008, "Generate loading noi&se", false, true},
                    {1017, "&Boost loading noise volume", true, false},
                    {1018, "Stop at e&nd of tape", true, false},
                    {1010, "Enable F&ast loading", false, true},
                    {1009, "&Flashloading", true, false},
                    {1015, "Edge &detection", false, false},
                    {1011, "Save a lin&k to the current audio cassette file", false, true},
                    {1012, "&Embed the current audio cassette file", true, true},
                    {1016, "Ask &whether to embed large audio cassette files", true, true}});
  ASSERT_NE(nullptr, ToolbarWith(1007));
  EXPECT_EQ((std::vector<bool>{true, true, true, true}), OptionButtonsPressed());
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, APPLY_BUTTON)));
  SendMessageA(GetDlgItem(sheet, APPLY_BUTTON), BM_CLICK, 0, 0);
  wintest::PumpMessages(50);
  // The options toolbar follows at once: fast loading, auto play, noise and auto load are off.
  EXPECT_EQ((std::vector<bool>{false, false, false, false}), OptionButtonsPressed());
  CloseSheet();

  // A new page shows what the deck and the window now hold.
  page = OpenSheet();
  ASSERT_NE(nullptr, page);
  for (int id : {1006, 1007, 1008, 1010, 1011, 1015}) EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, id)) << id;
  for (int id : {1009, 1012, 1016, 1017, 1018}) EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(page, id)) << id;
  CloseSheet();

  ReleaseDevice();
  DestroyWindow(shell.mainWindow);
  wintest::PumpMessages(50);
  EXPECT_EQ(0u, tool->Release());
  tool = nullptr;
  const std::pair<const char*, std::uint32_t> stored[] = {{"FlashLoad", 1},  {"Edge Detection", 0},
                                                          {"Loud Tones", 1}, {"Stop At End Of Tape", 1},
                                                          {"Embed", 1},      {"Fast Load", 0},
                                                          {"AutoPlay", 0},   {"Loading Tones", 0},
                                                          {"AutoLoad", 0},   {"Warn Embed Large Files", 1}};
  for (const auto& value : stored) {
    EXPECT_EQ(value.second, shell.settings[std::string(KEY) + value.first]) << value.first;
  }
}

// A tape played frame by frame; auto play runs it.
class TapeDialogs : public WindowsPlugin {
 protected:
  void Start(const std::vector<test::Bytes>& blocks) {
    test::Bytes tzx = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
    for (const test::Bytes& block : blocks) tzx.insert(tzx.end(), block.begin(), block.end());
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    path = std::string(folder) + "reelbox_dialogs_" + std::to_string(GetCurrentProcessId()) + ".tzx";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, file);
    std::fwrite(tzx.data(), 1, tzx.size(), file);
    std::fclose(file);

    CreateAndAttach();
    auto* media = Query<IMediaHandler>(IID_IMediaHandler);
    ASSERT_EQ(RESULT_OK, media->OpenMedia(path.c_str(), &mediaHost, 0));
    media->Release();
  }

  void TearDown() override {
    WindowsPlugin::TearDown();
    if (!path.empty()) DeleteFileA(path.c_str());
  }

  bool Saw(std::uint32_t code, std::intptr_t block) const {
    for (const TapeEventSeen& event : events) {
      if (event.code == code && event.value == block) return true;
    }
    return false;
  }

  wintest::WindowsMediaHost mediaHost;
  std::string path;
};

HWND FindDialog(const char* title) { return FindWindowA("#32770", title); }

TEST_F(TapeDialogs, MessagesShowTheirLinesAndCloseOnTime) {
  const test::Bytes tone = test::PureTone(2000, 200);  // about six frames
  Start({tone, test::MessageBlock(1, "Reelbox\rmessage test"), tone, test::MessageBlock(0, "Stays open"), tone});
  RunFrames(8);
  HWND first = FindDialog("Reelbox Message - Kestrelix");
  ASSERT_NE(nullptr, first);
  EXPECT_EQ("Reelbox\r\nmessage test", ControlText(first, 1001));
  EXPECT_EQ(2, SendMessageA(GetDlgItem(first, 1001), EM_GETLINECOUNT, 0, 0));
  EXPECT_EQ(shell.mainWindow, GetWindow(first, GW_OWNER));
  EXPECT_NE(0, GetWindowLongA(first, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(shell.mainWindow, GetForegroundWindow());  // the keyboard stays with the emulator
  // Wine without a window manager stacks the activated owner over the dialog
  // it owns (Windows keeps owned windows above): the user clicks the message.
  SetForegroundWindow(first);
  wintest::PumpMessages(100);
  EXPECT_TRUE(wintest::SaveScreenshot(first, "message_dialog.png"));
  EXPECT_GT(shell.defaultDialogCalls, 0u);  // the host's default dialog handling is used

  RunFrames(8);
  HWND second = nullptr;
  for (HWND window = FindDialog(nullptr); window != nullptr;
       window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
    if (ControlText(window, 1001) == "Stays open") second = window;
  }
  ASSERT_NE(nullptr, second);
  EXPECT_TRUE(IsWindow(first));  // several messages can be open at once
  wintest::PumpMessages(1300);
  EXPECT_FALSE(IsWindow(first));  // its one second is over
  EXPECT_TRUE(IsWindow(second));  // time 0: until the user closes it
  SendMessageA(second, WM_CLOSE, 0, 0);
  wintest::PumpMessages(50);
  EXPECT_FALSE(IsWindow(second));
}

// What the person at the program-choice dialog saw and did, from another thread.
struct ChoiceVisit {
  std::atomic<bool> done{false};
  std::vector<std::string> entries;
  int selected = -1;
  bool photographed = false;
  std::string title;

  void Run(int entry) {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && dialog == nullptr; ++i, Sleep(10)) dialog = FindDialog("Kestrelix");
    if (dialog == nullptr) return;
    Sleep(200);
    HWND list = GetDlgItem(dialog, 1005);
    char text[64];
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      entries.push_back(text);
    }
    char caption[64] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    title = caption;
    photographed = wintest::SaveScreenshot(dialog, "program_choice_dialog.png");
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
  test::Bytes body = {2};
  for (const std::string text : {"Side A", "Side B: the sequel"}) {
    body.insert(body.end(),
                {static_cast<std::uint8_t>(text == "Side A" ? 1 : 2), 0, static_cast<std::uint8_t>(text.size())});
    body.insert(body.end(), text.begin(), text.end());
  }
  test::Bytes select = {0x28, static_cast<std::uint8_t>(body.size()), 0};
  select.insert(select.end(), body.begin(), body.end());
  Start({test::PureTone(1000, 20), select, test::MessageBlock(0, "Loading side A"),
         test::MessageBlock(0, "Loading side B"), test::PauseBlock(0)});
  ChoiceVisit visit;
  std::thread person([&visit] { visit.Run(1); });
  RunFrames(6);  // the select block's dialog runs inside these frames' message loop
  person.join();
  ASSERT_TRUE(visit.done);
  EXPECT_EQ((std::vector<std::string>{"Side A", "Side B: the sequel"}), visit.entries);
  EXPECT_EQ("Kestrelix", visit.title);
  EXPECT_EQ(1, visit.selected);
  EXPECT_TRUE(visit.photographed);
  RunFrames(3);
  constexpr std::uint32_t TAPE_EVENT_MESSAGE = 3;
  EXPECT_TRUE(Saw(TAPE_EVENT_MESSAGE, 3));
  EXPECT_FALSE(Saw(TAPE_EVENT_MESSAGE, 2));
  HWND message = FindDialog("Reelbox Message - Kestrelix");
  ASSERT_NE(nullptr, message);
  EXPECT_EQ("Loading side B", ControlText(message, 1001));
  DestroyWindow(message);
}

}  // namespace
}  // namespace reelbox

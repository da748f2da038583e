// The built reelbox.dll in a real Windows host: its windows and dialogs driven
// by real input, read back through the controls' own messages and photographed.
#include "windows/test_host.h"  // windows.h first, for the system headers below
// clang-format off
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>
// clang-format on

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <tuple>

#include "host/media_host.h"
#include "platform/system_error.h"
#include "tape/tap_reader.h"
#include "ui/recorded_blocks_writer.h"
#include "unit/tape_files.h"

namespace reelbox::test {
namespace {

constexpr UINT ID_PLAY = 1001;
constexpr UINT ID_STOP = 1004;
constexpr UINT ID_EJECT = 1005;
constexpr UINT ID_DETAILED_TOC = 1009;
constexpr UINT TRANSPORT[] = {1000, 1001, 1002, 1003, 1004, 1005, 1006};
constexpr int APPLY_BUTTON = 0x3021;  // the property sheet's Apply button
constexpr const char* KEY = "Plugins\\Reelbox";
constexpr const char* MESSAGE_TITLE = "Reelbox Message - Kestrelix";
const std::string TAP = WindowsPath(REELBOX_SHARED_TAPES "/rom-loaded/rustzx-simple_tape.tap");
const std::string TZX = WindowsPath(REELBOX_SHARED_TAPES "/47loader/simple-demo.tzx");

std::string StatusText(HWND status, int part) {
  char text[256] = "";
  SendMessageA(status, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
  return text;
}
std::vector<std::string> Rows(HWND list) {
  std::vector<std::string> rows;
  for (int row = 0; row < static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); ++row) {
    char text[256] = "";
    ListView_GetItemText(list, row, 0, text, sizeof text);
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

// The host with the plug-in's window and device; frames run between passes of
// the message loop, the machine in a loader's loop reading the port every 100 T.
class PluginWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (host.MainWindow() == nullptr) GTEST_SKIP() << "no display for a top-level window: run under xvfb-run";
  }
  void Start() {
    ASSERT_EQ(RESULT_OK, host.LoadPlugin(WindowsPath(REELBOX_PLUGIN_PATH)));
    host.Machine().Poke(0x8000, {0xA9, 0xE6, 0x20, 0x28});  // XOR C; AND 0x20; JR Z
    host.Machine().registers[REG_PC] = 0x8000;
    ASSERT_EQ(RESULT_OK, host.Device()->Attach(&host.Machine()));
    RunFrame();  // the window's settings reach the deck at a frame start
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
  // Runs frames for up to three seconds until done says so.
  bool Until(const std::function<bool()>& done) {
    for (const DWORD end = GetTickCount() + 3000; !done() && static_cast<LONG>(end - GetTickCount()) > 0;) RunFrame();
    return done();
  }
  // A message dialog showing text, waited for; null if none.
  HWND WaitForMessage(const std::string& text) {
    HWND found = nullptr;
    Until([&] {
      for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", MESSAGE_TITLE); w != nullptr && found == nullptr;
           w = FindWindowExA(nullptr, w, "#32770", MESSAGE_TITLE)) {
        if (WindowText(GetDlgItem(w, 1001)) == text) found = w;
      }
      return found != nullptr;
    });
    return found;
  }
  ScratchFolder scratch;  // outlasts the host, which holds its tapes
  WindowsTestHost host;
  host::MediaHost mediaHost{nullptr, nullptr, MODEL_48K};
};

TEST_F(PluginWindows, RecorderControlsFollowTheTapeTheDeckAndTheUser) {
  Start();
  HWND window = FindWindowA("CassetteRecorder", nullptr);
  ASSERT_NE(nullptr, window);
  HWND options = GetDlgItem(window, 1000), list = GetDlgItem(window, 1001);
  HWND transport = GetDlgItem(window, 1002), status = GetDlgItem(window, 1003);
  ASSERT_TRUE(options && list && transport && status);
  // F6 shows the window; the host's button and menu item follow.
  const UINT menuCommand = GetMenuItemID(host.ToolsMenu(), 0);
  EXPECT_FALSE(IsWindowVisible(window));
  host.PressKey(VK_F6);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(Pressed(host.Toolbar(), menuCommand));
  SendMessageA(host.MainWindow(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(host.ToolsMenu()), 0);
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(host.ToolsMenu(), menuCommand, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ("Empty - Cassette Recorder", WindowText(window));
  EXPECT_EQ("Empty", StatusText(status, 0));
  for (UINT command : TRANSPORT) EXPECT_FALSE(Enabled(transport, command)) << command;
  // A program header and its data, a group, a loop and a pause, and a stop.
  const Bytes tone = PureTone(2168, 0xFFFF);  // the deck stays here a while
  const std::string tape = scratch.Write(
      "recorder.tzx", Concat({TzxHeader(), StandardBlock(1000, HeaderData(0, "reelbox", 5, 10, 5)),
                              StandardBlock(1000, RomData(0xFF, {0, 10, 1, 0, 0xEA})), GroupStart("Intro"), tone,
                              GroupEnd(), LoopStart(2), tone, LoopEnd(), PauseBlock(1000), PauseBlock(0)}));
  ASSERT_EQ(RESULT_OK, host.OpenTape(tape));
  EXPECT_EQ("recorder.tzx - Cassette Recorder", WindowText(window));
  EXPECT_EQ((std::vector<std::string>{"Program: reelbox    LINE 10", "Normal Data Block (5 bytes)", "[ Group: Intro ]",
                                      "Pure Tone (65535 pulses)", "[ Stop The Tape ]"}),
            Rows(list));
  EXPECT_EQ("Stopped", StatusText(status, 0));
  EXPECT_EQ("Block 1 of 10", StatusText(status, 1));
  EXPECT_TRUE(Enabled(transport, ID_PLAY) && Enabled(transport, ID_EJECT) && Pressed(transport, ID_STOP));
  host.Click(options, ButtonCentre(options, ID_DETAILED_TOC));
  EXPECT_TRUE(Pressed(options, ID_DETAILED_TOC));
  ASSERT_EQ(10u, Rows(list).size());
  EXPECT_EQ("[ Loop 2 Times ]", Rows(list)[5]);
  EXPECT_EQ("[ Pause 1000 ms ]", Rows(list)[8]);
  // A click on the tone's row moves the deck there; F7 plays.
  RECT row{LVIR_LABEL, 0, 0, 0};
  SendMessageA(list, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&row));
  host.Click(list, POINT{row.left + 10, (row.top + row.bottom) / 2});
  EXPECT_TRUE(Until([&] { return StatusText(status, 1) == "Block 4 of 10"; }));
  host.PressKey(VK_F7);
  EXPECT_TRUE(Until([&] { return StatusText(status, 0) == "Playing"; }));
  EXPECT_TRUE(Pressed(transport, ID_PLAY));
  EXPECT_FALSE(Enabled(transport, ID_EJECT));
  EXPECT_EQ(3, static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
  host.Pump(200);
  EXPECT_TRUE(PhotographWindow(host.MainWindow(), "recorder-playing.png"));
  host.ToolWindow()->LockControls(1);
  for (UINT command : TRANSPORT) EXPECT_FALSE(Enabled(transport, command)) << command;
  EXPECT_TRUE(Enabled(options, ID_DETAILED_TOC));
  host.ToolWindow()->LockControls(0);
  // Stop with the transport button; the host's toolbar button hides and shows the window.
  host.Click(transport, ButtonCentre(transport, ID_STOP));
  EXPECT_TRUE(Until([&] { return StatusText(status, 0) == "Stopped"; }));
  for (const bool shown : {false, true}) {
    host.Click(host.Toolbar(), ButtonCentre(host.Toolbar(), menuCommand));
    EXPECT_EQ(shown, IsWindowVisible(window) != FALSE);
    EXPECT_EQ(shown, Pressed(host.Toolbar(), menuCommand));
  }
}

// The host's settings dialog as its pages see it: help requests are noted
// with the help id the table gives for the control.
class HelpSheet final : public host::Counted<IOptionsSheet> {
 public:
  bool IsOwnInterface(const Guid&) const override { return false; }
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
};

// A button of the page and its state when the page opens, after the test's
// clicks, and on a page opened after Apply: C checked or u unchecked, E
// enabled or d disabled.
const struct {
  int id;
  const char* states[3];
} PAGE_BUTTONS[] = {
    {1006, {"CE", "uE", "uE"}},  // auto loading
    {1007, {"CE", "uE", "uE"}},  // auto play and stop
    {1008, {"CE", "uE", "uE"}},  // loading noise
    {1017, {"CE", "Cd", "Cd"}},  // louder noise
    {1018, {"CE", "Cd", "Cd"}},  // stop at the end of the tape
    {1010, {"CE", "uE", "uE"}},  // fast loading
    {1009, {"CE", "Cd", "Cd"}},  // flash loading
    {1015, {"uE", "ud", "ud"}},  // edge detection
    {1011, {"CE", "uE", "uE"}},  // link the tape in snapshots
    {1012, {"uE", "CE", "CE"}},  // embed it
    {1016, {"Cd", "CE", "CE"}},  // ask before embedding a large file
};

// A modeless sheet holding the plug-in's page; the sheet and its page.
std::pair<HWND, HWND> OpenSheet(WindowsTestHost& host, HelpSheet* help) {
  IOptionsProvider* options = nullptr;
  host.ToolWindow()->QueryInterface(IID_IOptionsProvider, reinterpret_cast<void**>(&options));
  HPROPSHEETPAGE page = nullptr;
  EXPECT_EQ(RESULT_OK, options->CreatePage(help, reinterpret_cast<PropertyPageHandle*>(&page)));
  options->Release();
  PROPSHEETHEADERA header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_MODELESS;
  header.hwndParent = host.MainWindow();
  header.pszCaption = "Options";
  header.nPages = 1;
  header.phpage = &page;
  HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
  host.Pump(200);
  return {sheet,
          sheet == nullptr ? nullptr : reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0))};
}

// The options toolbar's fast loading, auto play, loading noise and auto load buttons.
std::vector<bool> OptionButtonsPressed() {
  HWND toolbar = GetDlgItem(FindWindowA("CassetteRecorder", nullptr), 1000);
  std::vector<bool> pressed;
  for (UINT command : {1007, 1008, 1010, 1011}) pressed.push_back(Pressed(toolbar, command));
  return pressed;
}

// The page's buttons against one stage of PAGE_BUTTONS.
void ExpectButtons(HWND page, int stage) {
  for (const auto& button : PAGE_BUTTONS) {
    HWND control = GetDlgItem(page, button.id);
    EXPECT_EQ(button.states[stage], std::string(SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "C" : "u") +
                                        (IsWindowEnabled(control) ? "E" : "d"))
        << "button " << button.id << " at stage " << stage;
  }
}

TEST_F(PluginWindows, OptionsPageClicksAndApplyReachTheDeckAndTheToolbar) {
  host.Settings().SetDword(KEY, "Edge Detection", 0);
  host.Settings().SetDword(KEY, "Loud Tones", 1);
  Start();
  auto* help = new HelpSheet;  // the pages hold it until they go
  auto [sheet, page] = OpenSheet(host, help);
  ASSERT_NE(nullptr, page);
  ExpectButtons(page, 0);
  EXPECT_TRUE(PhotographWindow(sheet, "options_page.png"));
  // F1 over a control asks the host for that control's topic.
  HELPINFO request = {sizeof request, HELPINFO_WINDOW, 0, nullptr, 0, {0, 0}};
  for (int id : {1014, 1009}) {
    request.hItemHandle = GetDlgItem(page, id);
    SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&request));
  }
  EXPECT_EQ((std::vector<std::pair<std::uint32_t, std::uint32_t>>{{HELP_WM_HELP, 1000}, {HELP_WM_HELP, 1028}}),
            help->requests);
  EXPECT_EQ((std::vector<bool>{true, true, true, true}), OptionButtonsPressed());
  for (int id : {1010, 1012, 1008, 1007, 1006}) SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
  ExpectButtons(page, 1);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(sheet, APPLY_BUTTON)));
  SendMessageA(GetDlgItem(sheet, APPLY_BUTTON), BM_CLICK, 0, 0);
  host.Pump(50);
  EXPECT_EQ((std::vector<bool>{false, false, false, false}), OptionButtonsPressed());
  DestroyWindow(sheet);
  // A new page shows what the deck and the window now hold.
  std::tie(sheet, page) = OpenSheet(host, help);
  ASSERT_NE(nullptr, page);
  ExpectButtons(page, 2);
  DestroyWindow(sheet);
  help->Release();
  DestroyWindow(host.MainWindow());  // the recorder window writes its settings
  for (const char* name : {"Fast Load", "AutoPlay", "Loading Tones", "AutoLoad"}) {
    std::uint32_t value = 1;
    EXPECT_TRUE(host.Settings().GetDword(KEY, name, &value) && value == 0) << name;
  }
}

// A message that closes after its three seconds and one that stays until the user
// closes it, both open at once; then a program choice, clicked on by a person
// on another thread, whose chosen part plays.
TEST_F(PluginWindows, TapeMessagesCloseOnTimeAndAClickedChoiceJumpsToItsPart) {
  Start();
  const Bytes tone = PureTone(2000, 200);  // about six frames
  // A choice of two: 31 bytes to the next block and to the one after.
  const Bytes choices = Concat({{0x28, 31, 0, 2, 1, 0, 6}, TextOf("Side A"), {2, 0, 18}, TextOf("Side B: the sequel")});
  const std::string tape = scratch.Write(
      "dialogs.tzx",
      Concat({TzxHeader(), tone, MessageBlock(3, "Reelbox\rmessage test"), tone, MessageBlock(0, "Stays open"), tone,
              choices, MessageBlock(0, "Loading side A"), MessageBlock(0, "Loading side B"), PauseBlock(0)}));
  ASSERT_EQ(RESULT_OK, host.OpenTape(tape));
  // The person at the program-choice dialog, there before the tape reaches it.
  DialogSeen choice;
  std::vector<std::string> entries;
  int selected = -1;
  std::thread person([&] {
    choice = SeeDialog(host.MainWindow(), "Kestrelix", "program_choice_dialog.png");
    HWND list = GetDlgItem(choice.dialog, 1005);
    char text[64];
    for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      entries.push_back(text);
    }
    RECT item;
    SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    Sleep(200);
    selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    PostMessageA(GetDlgItem(choice.dialog, IDOK), BM_CLICK, 0, 0);
  });
  host.PressKey(VK_F7);
  HWND first = WaitForMessage("Reelbox\r\nmessage test");
  EXPECT_NE(nullptr, first);
  EXPECT_EQ(2, SendMessageA(GetDlgItem(first, 1001), EM_GETLINECOUNT, 0, 0));
  EXPECT_EQ(host.MainWindow(), GetWindow(first, GW_OWNER));
  EXPECT_NE(0, GetWindowLongA(first, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  // Wine without a window manager stacks the activated owner over the dialogs
  // it owns (Windows keeps owned windows above): the user clicks the message.
  SetForegroundWindow(first);
  host.Pump(100);
  EXPECT_TRUE(PhotographWindow(first, "message_dialog.png"));
  HWND second = WaitForMessage("Stays open");
  EXPECT_NE(nullptr, second);
  EXPECT_TRUE(IsWindow(first));                    // several messages can be open at once
  HWND chosen = WaitForMessage("Loading side B");  // the choice runs inside this message loop
  person.join();
  host.Pump(3300);
  EXPECT_FALSE(IsWindow(first));  // its three seconds are over
  EXPECT_TRUE(IsWindow(second));  // time 0: until the user closes it
  SendMessageA(second, WM_CLOSE, 0, 0);
  host.Pump(50);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_TRUE(choice.photographed);
  EXPECT_EQ((std::vector<std::string>{"Side A", "Side B: the sequel"}), entries);
  EXPECT_EQ(1, selected);
  ASSERT_NE(nullptr, chosen);
  EXPECT_EQ(nullptr, WaitForMessage("Loading side A"));
  DestroyWindow(chosen);
}

// What the person at a gone tape's question and open-file dialog saw and did.
struct Browse {
  DialogSeen question;
  bool answered = false;
  std::string dialogFolder;
  std::string filter;
  bool fileChosen = false;
};

// Runs beside LoadState: answers the question, then (given a file name) types
// it into the open-file dialog and presses Open.
void Answer(HWND owner, const char* answer, const char* fileName, const std::string& shots, Browse* seen) {
  seen->question = SeeDialog(owner, nullptr, (shots + "-question.png").c_str());
  seen->answered = ClickAway(seen->question.dialog, ButtonWithText(seen->question.dialog, answer));
  if (fileName == nullptr) return;
  HWND dialog = SeeDialog(owner, nullptr, (shots + "-open-file.png").c_str(), seen->question.dialog).dialog;
  char folder[MAX_PATH] = "";
  SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
  seen->dialogFolder = folder;
  seen->filter = WindowText(GetDlgItem(dialog, cmb1));
  SetForegroundWindow(dialog);
  ClickWithMouse(GetDlgItem(dialog, cmb13) != nullptr ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1));
  TypeText(fileName);
  PhotographWindow(dialog, shots + "-open-file.png");  // with the name typed
  seen->fileChosen = ClickAway(dialog, GetDlgItem(dialog, IDOK));
}

TEST_F(PluginWindows, BrowseForAGoneTapeNoLeavesTheDeckEmptyAndYesOpensTheFileChosenInLastFolder) {
  const std::string folder = scratch.Path().string();
  const std::string found =
      scratch.Write("found.tap", Concat({TapRecord(HeaderData(3, "found", 10, 32768)),
                                         TapRecord(DataBlockData(0xFF, 10)), TapRecord(DataBlockData(0xFF, 20))}));
  Start();
  host.PressKey(VK_F6);
  HWND list = GetDlgItem(FindWindowA("CassetteRecorder", nullptr), 1001);
  ASSERT_NE(nullptr, list);
  host.SetSettingString("Settings", "Last Folder", folder.c_str());
  const std::string gone = folder + "\\gone.tap";
  const Bytes chunk = TapeChunk(2, 0, Bytes(gone.c_str(), gone.c_str() + gone.size() + 1));
  const std::string question = "Kestrelix could not find '" + gone + "'.\n\nWould you like to browse for the file?";
  Browse seen[2];  // No, then Yes
  for (const bool yes : {false, true}) {
    std::thread person(Answer, host.MainWindow(), yes ? "&Yes" : "&No", yes ? "found.tap" : nullptr,
                       yes ? "browse-for-tape" : "browse-for-tape-declined", &seen[yes]);
    EXPECT_EQ(RESULT_OK, host.Device()->LoadState(chunk.data(), &mediaHost, 0));
    person.join();
    EXPECT_EQ(question, seen[yes].question.text);
    EXPECT_TRUE(seen[yes].answered && seen[yes].question.photographed && seen[yes].fileChosen == yes);
    EXPECT_EQ(yes ? 1u : 0u, mediaHost.OpenedPaths().size());
    host.Pump(100);
    EXPECT_EQ(yes ? 3 : 0, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  }
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), seen[1].dialogFolder.c_str())) << seen[1].dialogFolder;
  EXPECT_EQ("Reelbox Files (.tap;.blk;.tzx;.csw;.voc;.wav)", seen[1].filter);
  ASSERT_EQ(1u, mediaHost.OpenedPaths().size());
  EXPECT_EQ(0, lstrcmpiA(found.c_str(), mediaHost.OpenedPaths()[0].c_str())) << mediaHost.OpenedPaths()[0];
  char remembered[MAX_PATH] = "";
  host.GetSettingString("Settings", "Last Folder", remembered, sizeof remembered);
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), remembered)) << remembered;
  EXPECT_EQ(2, SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  // Without a window manager, Wine leaves the owner above the recorder once the modal dialogs close.
  SetWindowPos(GetParent(list), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  host.Pump(200);
  EXPECT_TRUE(PhotographWindow(host.MainWindow(), "browse-for-tape-opened.png"));
}

// While a tape is in, its file is mapped and the system keeps it as it was
// read: it cannot be replaced or rewritten, nor deleted (Windows refuses; Wine
// marks it and deletes it once the tape goes out). Files it cannot read leave
// the host untold. Its texts and icons are the DLL's own, not the program's.
TEST_F(PluginWindows, OpensTapAndTzxFilesAndHoldsTheOneThatIsIn) {
  if (GetFileAttributesA(TAP.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no " << TAP;
  Start();
  CreateTypeInfo info;
  ASSERT_EQ(RESULT_OK, host.Media()->GetCreateType(0, &info));
  EXPECT_STREQ("Audio cassette file (.tzx)", info.name);
  EXPECT_TRUE(DestroyIcon(reinterpret_cast<HICON>(static_cast<std::uintptr_t>(info.icon))));
  const std::string held = scratch.Write("held.tzx", ReadBytes(TZX));
  const std::string backup = scratch.Write("held.tzx.bak", ReadBytes(TZX));
  EXPECT_EQ(TAPE_E_UNKNOWNTYPE, host.Media()->OpenMedia(backup.c_str(), &mediaHost, 0));
  EXPECT_EQ(static_cast<HResult>(0x80070002u), host.Media()->OpenMedia((held + ".gone.tap").c_str(), &mediaHost, 0));
  EXPECT_EQ(RESULT_OK, host.Media()->OpenMedia(TAP.c_str(), &mediaHost, 0));
  ASSERT_EQ(RESULT_OK, host.Media()->OpenMedia(held.c_str(), &mediaHost, 0));
  EXPECT_EQ((std::vector<std::string>{TAP, held}), mediaHost.OpenedPaths());
  EXPECT_FALSE(MoveFileExA(backup.c_str(), held.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  const HANDLE rewrite = CreateFileA(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, rewrite);
  EXPECT_EQ(static_cast<DWORD>(ERROR_USER_MAPPED_FILE), GetLastError());
  const bool deleted = DeleteFileA(held.c_str()) != 0;
  EXPECT_TRUE(deleted || GetLastError() == ERROR_ACCESS_DENIED);
  std::uint8_t port = 0xFF;
  EXPECT_EQ(RESULT_OK, host.Device()->ReadPort(0xFE, &port));
  ASSERT_EQ(RESULT_OK, host.Media()->OpenMedia(TAP.c_str(), &mediaHost, 0));
  EXPECT_EQ(deleted, GetFileAttributesA(held.c_str()) == INVALID_FILE_ATTRIBUTES);
}

// A chunk embedding the tape plain at block 1 goes into the prefix's local
// application-data folder, which is emptied when the plug-in goes.
TEST_F(PluginWindows, AnEmbeddedTapeIsTakenOutIntoLocalAppDataUntilThePluginGoes) {
  if (GetFileAttributesA(TAP.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no " << TAP;
  Start();
  const Bytes tape = ReadBytes(TAP);
  const Bytes chunk = TapeChunk(1, TAPE_FLAG_EMBEDDED, tape);
  EXPECT_EQ(RESULT_OK, host.Device()->LoadState(chunk.data(), &mediaHost, 0));
  char base[MAX_PATH];
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)));
  const std::string folder = std::string(base) + "\\Kestrelix\\Reelbox\\";
  const auto files = [&folder] {
    return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
  };
  ASSERT_EQ(1u, mediaHost.OpenedPaths().size());
  const std::string& opened = mediaHost.OpenedPaths()[0];
  EXPECT_EQ(folder + "~zx", opened.substr(0, folder.size() + 3));
  EXPECT_EQ(".tap", opened.substr(opened.size() - 4));
  EXPECT_EQ(tape, ReadBytes(opened));
  EXPECT_EQ(2, files());  // the tape and its name's reservation
  DestroyWindow(host.MainWindow());
  host.ReleasePlugin();
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
  EXPECT_EQ(0, files());
}

// A recorded block as the save trap makes it: a standard block with a pause of 1000 ms.
TapeBlock* RecordedBlock(const Bytes& data) {
  const Bytes block = StandardBlock(1000, data);
  return NewOwnedBlock(block.data(), static_cast<std::uint32_t>(block.size()));
}

// A failed write of recorded blocks: the system's own message box, read back,
// photographed, and answered with mouse clicks once the file is free again:
// Retry writes every block, Cancel none.
TEST(UpdateErrorBox, RetryOnceTheFileIsFreeWritesAllAndCancelLeavesTheTape) {
  if (GetSystemMetrics(SM_CXSCREEN) <= 0) GTEST_SKIP() << "no display: run under xvfb-run";
  const struct {
    const char* answer;
    const char* shot;
    bool written;
  } cases[] = {{"&Retry", "update-error-box.png", true}, {"Cancel", "update-error-box-cancel.png", false}};
  const ScratchFolder folder;
  const Bytes first = TapRecord(DataBlockData(0xFF, 30));
  const Bytes header = HeaderData(3, "recorded", 300, 32768), data = DataBlockData(0xFF, 300);
  for (const auto& box : cases) {
    // A tape of one record, read in (the tape holds the file mapped), then held
    // open by another program that shares nothing until it lets go.
    const std::string path = folder.Write("reelbox-record.tap", first);
    TapeBlockList tape;
    ASSERT_TRUE(Succeeded(ReadTapFile(tape, path.c_str())));
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    TapeBlock* list = RecordedBlock(header);
    list->next = RecordedBlock(data);
    DialogSeen seen;
    bool clicked = false;
    std::thread person([&] {
      seen = SeeDialog(nullptr, "Kestrelix", box.shot);
      CloseHandle(holder);
      clicked = ClickAway(seen.dialog, ButtonWithText(seen.dialog, box.answer));
    });
    WriteRecordedBlocks(RecordingTarget{nullptr, nullptr, nullptr, path.c_str(), &tape, nullptr, nullptr}, &list);
    person.join();
    char systemText[256];
    platform::SystemErrorText(ERROR_SHARING_VIOLATION, systemText, sizeof systemText);
    EXPECT_EQ("Kestrelix cannot update reelbox-record.tap.\n\n" + std::string(systemText), seen.text);
    EXPECT_EQ((std::vector<std::string>{"&Retry", "Cancel"}), seen.buttons);
    EXPECT_TRUE(seen.photographed && clicked) << box.answer;
    EXPECT_EQ(nullptr, list);
    const Bytes expected = box.written ? Concat({first, TapRecord(header), TapRecord(data)}) : first;
    EXPECT_EQ(expected, ReadBytes(path)) << box.answer;
    EXPECT_EQ(box.written ? 3 : 1, tape.GetCount()) << box.answer;
    tape.Clear();
  }
}

}  // namespace
}  // namespace reelbox::test

// A snapshot whose linked tape has gone, loaded into the DLL in a real Windows
// host: the question and the system's open-file dialog are read back through
// their controls, photographed and answered with real mouse and key input.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>  // these three need windows.h first
// clang-format on

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "snapshot/tape_chunk.h"
#include "unit/fake_host_objects.h"
#include "unit/tape_files.h"
#include "windows/test_host.h"

namespace reelbox::test {
namespace {

// The first visible dialog owned by owner other than skip, waited for.
HWND WaitForDialog(HWND owner, HWND skip) {
  for (int i = 0; i < 200; ++i) {
    for (HWND found = FindWindowExA(nullptr, nullptr, "#32770", nullptr); found != nullptr;
         found = FindWindowExA(nullptr, found, "#32770", nullptr)) {
      if (found != skip && IsWindowVisible(found) && GetWindow(found, GW_OWNER) == owner) return found;
    }
    Sleep(50);
  }
  return nullptr;
}

HWND ButtonWithText(HWND dialog, const char* text) {
  for (HWND child = FindWindowExA(dialog, nullptr, "Button", nullptr); child != nullptr;
       child = FindWindowExA(dialog, child, "Button", nullptr)) {
    if (WindowText(child) == text) return child;
  }
  return nullptr;
}

struct Seen {
  std::string question;
  bool questionAnswered = false;
  std::string dialogFolder;
  std::string filter;
  bool photographed = false;
  bool fileChosen = false;
};

// Runs beside LoadState: answers the question, then (after Yes) types the
// file's name into the open-file dialog and presses Open.
void Answer(HWND owner, const char* answer, const std::string& fileName, const std::string& shots, Seen* seen) {
  HWND box = WaitForDialog(owner, nullptr);
  if (box == nullptr) return;
  Sleep(300);  // painted
  seen->question = WindowText(GetDlgItem(box, 0xFFFF));
  seen->photographed = PhotographWindow(box, shots + "-question.png");
  seen->questionAnswered = ClickAway(box, ButtonWithText(box, answer));
  if (fileName.empty()) return;
  HWND dialog = WaitForDialog(owner, box);
  if (dialog == nullptr) return;
  Sleep(500);
  char folder[MAX_PATH] = "";
  SendMessageA(dialog, CDM_GETFOLDERPATH, sizeof folder, reinterpret_cast<LPARAM>(folder));
  seen->dialogFolder = folder;
  seen->filter = WindowText(GetDlgItem(dialog, cmb1));
  HWND name = GetDlgItem(dialog, cmb13) != nullptr ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
  SetForegroundWindow(dialog);
  ClickWithMouse(name);
  TypeText(fileName);
  seen->photographed = PhotographWindow(dialog, shots + "-open-file.png") && seen->photographed;
  seen->fileChosen = ClickAway(dialog, GetDlgItem(dialog, IDOK));
}

// A snapshot's TAPE chunk linking path, at block.
Bytes ChunkLinking(const std::string& path, std::uint16_t block) {
  Bytes chunk(TAPE_CHUNK_HEADER);
  StartTapeChunk(chunk.data());
  const auto stored = static_cast<std::uint32_t>(path.size() + 1);
  reelbox::PutU32(chunk.data() + TAPE_AT_SIZE, TAPE_CHUNK_FIXED + stored);
  reelbox::PutU16(chunk.data() + TAPE_AT_BLOCK, block);
  reelbox::PutU32(chunk.data() + TAPE_AT_STORED, stored);
  std::memcpy(chunk.data() + TAPE_AT_EXTENSION, "tap", 3);
  chunk.insert(chunk.end(), path.begin(), path.end());
  chunk.push_back(0);
  return chunk;
}

// A folder of the person's own, holding found.tap, gone once the host has let go of it.
struct TapeFolder {
  TapeFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "reelbox_browse_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path.c_str(), nullptr);
    const Bytes blocks = Concat({TapRecord(HeaderData(3, "found", 10, 32768)), TapRecord(DataBlockData(0xFF, 10)),
                                 TapRecord(DataBlockData(0xFF, 20))});
    std::FILE* file = std::fopen(Tape().c_str(), "wb");
    if (file == nullptr) return;
    written = std::fwrite(blocks.data(), 1, blocks.size(), file) == blocks.size();
    written = std::fclose(file) == 0 && written;
  }
  ~TapeFolder() {
    DeleteFileA(Tape().c_str());
    RemoveDirectoryA(path.c_str());
  }
  std::string Tape() const { return path + "\\found.tap"; }
  std::string path;
  bool written = false;
};

int SelectedRow(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

TEST(BrowseForTape, NoLeavesTheDeckEmptyAndYesOpensTheFileChosenInLastFolder) {
  const TapeFolder found;
  ASSERT_TRUE(found.written);
  const std::string& folder = found.path;
  WindowsTestHost host;
  if (host.MainWindow() == nullptr) GTEST_SKIP() << "no display for a top-level window: run under xvfb-run";
  ASSERT_EQ(RESULT_OK, host.LoadPlugin(WindowsPath(REELBOX_PLUGIN_PATH)));
  ASSERT_EQ(RESULT_OK, host.CreateToolWindow());
  host.PressKey(VK_F6);
  HWND list = GetDlgItem(FindWindowA("CassetteRecorder", nullptr), 1001);
  ASSERT_NE(nullptr, list);

  host.SetSettingString("Settings", "Last Folder", folder.c_str());
  const std::string gone = folder + "\\gone.tap";
  const Bytes chunk = ChunkLinking(gone, 2);
  const std::string shots = WindowsPath(REELBOX_SCREENSHOTS_DIR) + "\\browse-for-tape";
  CreateDirectoryA(WindowsPath(REELBOX_SCREENSHOTS_DIR).c_str(), nullptr);
  const std::string question = "Kestrelix could not find '" + gone + "'.\n\nWould you like to browse for the file?";
  FakeMediaHost media;

  Seen declined;
  std::thread no(Answer, host.MainWindow(), "&No", std::string(), shots + "-declined", &declined);
  EXPECT_EQ(RESULT_OK, host.Device()->LoadState(chunk.data(), &media, 0));
  no.join();
  EXPECT_EQ(question, declined.question);
  EXPECT_TRUE(declined.questionAnswered && declined.photographed);
  EXPECT_TRUE(media.opened.empty());
  EXPECT_EQ(0, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));

  Seen accepted;
  std::thread yes(Answer, host.MainWindow(), "&Yes", std::string("found.tap"), shots, &accepted);
  EXPECT_EQ(RESULT_OK, host.Device()->LoadState(chunk.data(), &media, 0));
  yes.join();
  EXPECT_EQ(question, accepted.question);
  EXPECT_TRUE(accepted.questionAnswered && accepted.photographed && accepted.fileChosen);
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), accepted.dialogFolder.c_str())) << accepted.dialogFolder;
  EXPECT_EQ("Reelbox Files (.tap;.blk;.tzx;.csw;.voc;.wav)", accepted.filter);
  ASSERT_EQ(1u, media.opened.size());
  EXPECT_EQ(0, lstrcmpiA(found.Tape().c_str(), media.opened[0].c_str())) << media.opened[0];
  char remembered[MAX_PATH] = "";
  host.GetSettingString("Settings", "Last Folder", remembered, sizeof remembered);
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), remembered)) << remembered;
  host.Pump(100);
  EXPECT_EQ(3, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(2, SelectedRow(list));
  // Without a window manager, Wine leaves the owner above the recorder once the modal dialogs close.
  SetWindowPos(GetParent(list), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(host.Screenshot(shots + "-opened.png"));
}

}  // namespace
}  // namespace reelbox::test

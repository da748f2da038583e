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

#include <cstring>
#include <string>
#include <thread>

#include "snapshot/tape_chunk.h"
#include "unit/fake_host_objects.h"
#include "unit/tape_files.h"
#include "windows/test_host.h"

namespace reelbox::test {
namespace {

// What the person saw and did.
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

TEST(BrowseForTape, NoLeavesTheDeckEmptyAndYesOpensTheFileChosenInLastFolder) {
  const ScratchFolder scratch;  // the person's own folder, outlasting the host
  const std::string folder = scratch.Path().string();
  const std::string found =
      scratch.Write("found.tap", Concat({TapRecord(HeaderData(3, "found", 10, 32768)),
                                         TapRecord(DataBlockData(0xFF, 10)), TapRecord(DataBlockData(0xFF, 20))}));
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
  const std::string question = "Kestrelix could not find '" + gone + "'.\n\nWould you like to browse for the file?";
  FakeMediaHost media;

  Browse declined;
  std::thread no(Answer, host.MainWindow(), "&No", nullptr, "browse-for-tape-declined", &declined);
  EXPECT_EQ(RESULT_OK, host.Device()->LoadState(chunk.data(), &media, 0));
  no.join();
  EXPECT_EQ(question, declined.question.text);
  EXPECT_TRUE(declined.answered && declined.question.photographed);
  EXPECT_TRUE(media.opened.empty());
  EXPECT_EQ(0, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));

  Browse accepted;
  std::thread yes(Answer, host.MainWindow(), "&Yes", "found.tap", "browse-for-tape", &accepted);
  EXPECT_EQ(RESULT_OK, host.Device()->LoadState(chunk.data(), &media, 0));
  yes.join();
  EXPECT_EQ(question, accepted.question.text);
  EXPECT_TRUE(accepted.answered && accepted.fileChosen);
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), accepted.dialogFolder.c_str())) << accepted.dialogFolder;
  EXPECT_EQ("Reelbox Files (.tap;.blk;.tzx;.csw;.voc;.wav)", accepted.filter);
  ASSERT_EQ(1u, media.opened.size());
  EXPECT_EQ(0, lstrcmpiA(found.c_str(), media.opened[0].c_str())) << media.opened[0];
  char remembered[MAX_PATH] = "";
  host.GetSettingString("Settings", "Last Folder", remembered, sizeof remembered);
  EXPECT_EQ(0, lstrcmpiA(folder.c_str(), remembered)) << remembered;
  host.Pump(100);
  EXPECT_EQ(3, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(2, SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  // Without a window manager, Wine leaves the owner above the recorder once the modal dialogs close.
  SetWindowPos(GetParent(list), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(host.Screenshot("browse-for-tape-opened.png"));
}

}  // namespace
}  // namespace reelbox::test

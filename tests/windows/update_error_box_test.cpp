// A failed write of recorded blocks under Windows: the system's own message
// box, found on the screen, read back through its controls, photographed,
// and answered with mouse clicks while the cause is put right or not.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "tape/tap_reader.h"
#include "ui/recorded_blocks_writer.h"
#include "unit/tzx_builder.h"
#include "windows/test_host.h"

namespace reelbox::test {
namespace {

struct BoxSeen {
  std::string title;
  std::string text;
  std::vector<std::string> buttons;
  bool photographed = false;
  bool clicked = false;
};

HWND FindBox() {
  for (int i = 0; i < 200; ++i) {
    HWND box = FindWindowA("#32770", "Kestrelix");
    if (box != nullptr && IsWindowVisible(box)) return box;
    Sleep(50);
  }
  return nullptr;
}

BOOL CALLBACK CollectButton(HWND child, LPARAM context) {
  char className[32] = {};
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Button") == 0) reinterpret_cast<std::vector<HWND>*>(context)->push_back(child);
  return TRUE;
}

void LetGo();

// Runs beside the writer: waits for the box, reads and photographs it, lets
// the file go, then clicks the button whose text is answer.
void AnswerBox(const std::string& answer, const std::string& shot, BoxSeen* seen) {
  HWND box = FindBox();
  if (box == nullptr) return;
  Sleep(300);  // painted
  seen->title = WindowText(box);
  seen->text = WindowText(GetDlgItem(box, 0xFFFF));
  std::vector<HWND> buttons;
  EnumChildWindows(box, CollectButton, reinterpret_cast<LPARAM>(&buttons));
  HWND target = nullptr;
  for (HWND button : buttons) {
    seen->buttons.push_back(WindowText(button));
    if (seen->buttons.back() == answer) target = button;
  }
  seen->photographed = shot.empty() || PhotographWindow(box, shot);
  LetGo();
  if (target == nullptr) return;
  seen->clicked = ClickAway(box, target);
}

// flag, length bytes counting up from fill, and the checksum.
Bytes Data(std::uint8_t flag, std::uint8_t fill, std::uint16_t length) {
  Bytes body;
  for (std::uint16_t i = 0; i < length; ++i) body.push_back(static_cast<std::uint8_t>(fill + i));
  return RomData(flag, body);
}

// A TAP record: its length, then the data.
Bytes Record(const Bytes& data) {
  Bytes record = {static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(data.size() >> 8)};
  record.insert(record.end(), data.begin(), data.end());
  return record;
}

// A recorded block as the save trap makes it: a standard block with a pause of 1000 ms.
TapeBlock* RecordedBlock(const Bytes& data) {
  const Bytes block = StandardBlock(1000, data);
  return NewOwnedBlock(block.data(), static_cast<std::uint32_t>(block.size()));
}

Bytes FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Another program holds the file open, sharing nothing, until it lets go.
HANDLE holder = INVALID_HANDLE_VALUE;
void LetGo() {
  CloseHandle(holder);
  holder = INVALID_HANDLE_VALUE;
}

struct BoxCase {
  const char* answer;
  const char* shot;
  bool written;
};

TEST(UpdateErrorBox, RetryOnceTheFileIsFreeWritesAllAndCancelLeavesTheTape) {
  if (GetSystemMetrics(SM_CXSCREEN) <= 0) GTEST_SKIP() << "no display: run under xvfb-run";
  const BoxCase cases[] = {{"&Retry", "update-error-box.png", true}, {"Cancel", nullptr, false}};
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "reelbox-record.tap";
  for (const BoxCase& box : cases) {
    // A tape of one record, read in (the tape holds the file mapped), then held by another program.
    const Bytes first = Record(Data(0xFF, 0x40, 30));
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(first.data()), 34);
    TapeBlockList tape;
    ASSERT_TRUE(Succeeded(ReadTapFile(tape, path.c_str())));
    holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    const Bytes header = Data(0x00, 0x20, 17), data = Data(0xFF, 0x80, 300);
    TapeBlock* list = RecordedBlock(header);
    list->next = RecordedBlock(data);

    BoxSeen seen;
    const std::string shot = box.shot != nullptr ? ScreenshotPath(box.shot) : std::string();
    std::thread answerer(AnswerBox, box.answer, shot, &seen);
    WriteRecordedBlocks(RecordingTarget{nullptr, nullptr, nullptr, path.c_str(), &tape, nullptr, nullptr}, &list);
    answerer.join();

    char denied[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_SHARING_VIOLATION,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), denied, sizeof denied, nullptr);
    std::string deniedText = denied;
    while (!deniedText.empty() && std::isspace(static_cast<unsigned char>(deniedText.back()))) deniedText.pop_back();
    EXPECT_EQ("Kestrelix", seen.title) << box.answer;
    EXPECT_EQ("Kestrelix cannot update reelbox-record.tap.\n\n" + deniedText, seen.text) << box.answer;
    EXPECT_EQ((std::vector<std::string>{"&Retry", "Cancel"}), seen.buttons) << box.answer;
    EXPECT_TRUE(seen.photographed) << shot;
    EXPECT_TRUE(seen.clicked) << box.answer;
    EXPECT_EQ(nullptr, list);
    Bytes expected = first;
    for (const Bytes& written : {Record(header), Record(data)}) {
      if (box.written) expected.insert(expected.end(), written.begin(), written.end());
    }
    EXPECT_EQ(expected, FileBytes(path)) << box.answer;
    EXPECT_EQ(box.written ? 3 : 1, tape.GetCount()) << box.answer;
    tape.Clear();
  }
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace reelbox::test

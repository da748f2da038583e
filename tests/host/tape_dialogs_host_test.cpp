// A tape with a message and a program menu on the reference host with the real
// ROM: the host's dialog handler sees the message and the menu, and the side
// it chooses is the one that loads.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "host/load_session.h"
#include "host_fixture.h"
#include "platform/posix/message_service/message_service.h"

namespace reelbox::host {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& bytes, unsigned value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

// A standard-speed block (0x10) holding flag, body and checksum.
void AppendRomBlock(Bytes& tzx, std::uint8_t flag, const Bytes& body) {
  tzx.push_back(0x10);
  Put16(tzx, 1000);
  Put16(tzx, static_cast<unsigned>(body.size() + 2));
  std::uint8_t checksum = flag;
  tzx.push_back(flag);
  for (std::uint8_t byte : body) {
    tzx.push_back(byte);
    checksum ^= byte;
  }
  tzx.push_back(checksum);
}

// 10 PRINT "text", saved with auto-start at line 10.
void AppendProgram(Bytes& tzx, const std::string& name, const std::string& text) {
  Bytes line = {0xF5, '"'};  // PRINT
  line.insert(line.end(), text.begin(), text.end());
  line.insert(line.end(), {'"', 0x0D});
  Bytes program = {0, 10};
  Put16(program, static_cast<unsigned>(line.size()));
  program.insert(program.end(), line.begin(), line.end());
  Bytes header = {0};
  for (std::size_t i = 0; i < 10; ++i) header.push_back(i < name.size() ? name[i] : ' ');
  for (unsigned word : {static_cast<unsigned>(program.size()), 10u, static_cast<unsigned>(program.size())}) {
    Put16(header, word);
  }
  AppendRomBlock(tzx, 0x00, header);
  AppendRomBlock(tzx, 0xFF, program);
}

// Message "Choose\rside" (3 s), then a menu of side A (+1) and side B (+3).
std::string WriteMenuTape() {
  Bytes tzx = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
  const std::string message = "Choose\rside";
  tzx.insert(tzx.end(), {0x31, 3, static_cast<std::uint8_t>(message.size())});
  tzx.insert(tzx.end(), message.begin(), message.end());
  tzx.insert(tzx.end(), {0x28, 15, 0, 2, 1, 0, 4, 'S', 'i', 'd', 'e', 3, 0, 4, 'S', 'i', 'd', 'e'});
  AppendProgram(tzx, "sidea", "SIDE A");
  AppendProgram(tzx, "sideb", "SIDE B");
  const std::string path = ::testing::TempDir() + "reelbox_menu.tzx";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(tzx.data()), static_cast<std::streamsize>(tzx.size()));
  return path;
}

struct Seen {
  std::vector<std::string> messages;
  std::vector<std::int32_t> blocks;
  std::vector<std::uint32_t> itemCounts;
  std::intptr_t answer = 0;

  static std::intptr_t Answer(void* context, const rb_dialog* dialog) {
    auto* seen = static_cast<Seen*>(context);
    seen->blocks.push_back(dialog->value);
    if (dialog->kind == RB_DIALOG_MESSAGE) seen->messages.push_back(dialog->text);
    if (dialog->kind != RB_DIALOG_CHOICE) return dialog->defaultAnswer;
    seen->itemCounts.push_back(dialog->itemCount);
    return seen->answer;
  }
};

TEST(TapeDialogsOnTheHost, TheChosenSideLoadsAndCancelLoadsNothing) {
  REQUIRE_ROM();
  const std::string tape = WriteMenuTape();
  struct {
    std::intptr_t answer;
    char side;  // 0: nothing loads
  } const cases[] = {{0, 'A'}, {1, 'B'}, {-1, 0}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.answer);
    Seen seen;
    seen.answer = test.answer;
    rb_set_dialog_handler(&Seen::Answer, &seen);
    ReferenceHost host(TestHostOptions());
    ASSERT_EQ(RESULT_OK, host.Start());
    LoadOptions load;
    load.tapePath = tape;
    load.maxSeconds = 20;
    const LoadReport report = RunLoad(host, load);
    rb_set_dialog_handler(nullptr, nullptr);
    EXPECT_EQ((std::vector<std::string>{"Choose\r\nside"}), seen.messages);
    // After Cancel the host presses Play at the menu, which shows it again.
    ASSERT_GE(seen.blocks.size(), 2u);
    EXPECT_EQ((std::vector<std::int32_t>{0, 1}),
              std::vector<std::int32_t>(seen.blocks.begin(), seen.blocks.begin() + 2));
    EXPECT_EQ(std::vector<std::uint32_t>(seen.itemCounts.size(), 2), seen.itemCounts);
    EXPECT_EQ(test.side != 0, seen.itemCounts.size() == 1);
    if (test.side == 0) {
      EXPECT_EQ("no_tape", report.exitReason);  // the deck waits at the menu
      EXPECT_FALSE(CharacterAt(host, 2, 0, 'S'));
    } else {
      EXPECT_TRUE(CharacterAt(host, 2, 5, test.side)) << "the program printed SIDE " << test.side;
    }
  }
  std::remove(tape.c_str());
}

}  // namespace
}  // namespace reelbox::host

// The reference host with the real ROM and the plug-in loaded from its shared
// library: typing reaches BASIC, every reference comes back, the recorder's
// menu item and accelerators follow the key scheme, and a tape's message and
// program menu reach the host's dialog handler.
#include "host/basic_program.h"
#include "host/load_session.h"
#include "host/recorder_window.h"
#include "host_fixture.h"

namespace reelbox::host {
namespace {

TEST(PluginHost, TypingReachesBasicAndEveryReferenceComesBackAtShutdown) {
  REQUIRE_ROM();
  ReferenceHost host(TestHostOptions());
  ASSERT_EQ(RESULT_OK, host.Start()) << host.Error();
  host.RunFrames(100);
  ASSERT_TRUE(host.Type("PRINT 1+2\n"));
  EXPECT_FALSE(host.Type("PRINT \x7F"));  // no key types that
  while (host.Typing()) host.RunFrame();
  host.RunFrames(10);
  EXPECT_TRUE(CharacterAt(host, 0, 0, '3'));
  host.Shutdown();
  for (std::uint32_t references : {host.Machine().References(), host.Shell().References(), host.Registry().References(),
                                   host.Sound().References(), host.Media().References(), host.Display().References()}) {
    EXPECT_EQ(1u, references);
  }
  EXPECT_TRUE(host.Sound().FirstBuffer() == nullptr || host.Sound().FirstBuffer()->Released());
  std::uint32_t embed = 7;
  EXPECT_TRUE(host.Settings().GetDword("Plugins\\Reelbox", "Embed",
                                       &embed));  // written when it goes
  EXPECT_EQ(0u, embed);

  HostOptions missing = TestHostOptions();
  missing.pluginPath = "/nonexistent/libreelbox.so";
  ReferenceHost without(missing);
  EXPECT_TRUE(Failed(without.Start()));
  EXPECT_FALSE(without.Error().empty());
}

// The host's other key scheme (the F-key one is checked on Windows): Ctrl+K
// shows and hides the window, Ctrl+F7 and Ctrl+Space are one command.
TEST(PluginHost, RecorderItemsFollowTheCtrlKeyScheme) {
  REQUIRE_ROM();
  using Keys = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // key, modifiers
  ReferenceHost host(TestHostOptions());
  host.Shell().SetOptionFlags(1);
  ASSERT_EQ(RESULT_OK, host.Start());
  const std::vector<HostCommand>& commands = host.Shell().Commands();
  Keys keys;
  for (const HostCommand& command : commands) keys.emplace_back(command.key, command.modifiers);
  EXPECT_EQ(Keys({{0x4B, 9}, {0x76, 9}, {0x20, 9}, {0x20, 0x19}}), keys);
  ASSERT_EQ(4u, commands.size());
  EXPECT_EQ("&Cassette Recorder\tCtrl+K", commands[0].text);
  EXPECT_EQ(commands[1].id, commands[2].id);
  char help[128] = "";
  host.Plugin().ToolWindow()->GetCommandHelp(commands[0].id, help, sizeof help);
  EXPECT_EQ("Show or hide the cassette recorder window.\nCassette Recorder (Ctrl+K)", std::string(help));
  // Show/hide: the window and the host's toolbar button follow each other.
  ASSERT_EQ(1u, host.Shell().ToolbarButtons().size());
  for (const bool visible : {true, false}) {
    ASSERT_EQ(RESULT_OK, host.RunCommandForKey(0x4B));
    EXPECT_EQ(visible, ReadRecorderWindow().visible);
  }
}

// Message "Choose\rside" (3 s), then a menu of side A (+1) and side B (+3),
// each a program that prints its side.
Bytes MenuTape() {
  Bytes tzx = test::Concat({test::TzxHeader(),
                            test::MessageBlock(3, "Choose\rside"),
                            {0x28, 15, 0, 2, 1, 0, 4, 'S', 'i', 'd', 'e', 3, 0, 4, 'S', 'i', 'd', 'e'}});
  for (const char* side : {"A", "B"}) {
    Bytes program;
    TokeniseProgram({std::string("10 PRINT \"SIDE ") + side + "\""}, &program);
    const auto length = static_cast<std::uint16_t>(program.size());
    test::Append(tzx, test::StandardBlock(1000, test::HeaderData(0, std::string("side") + side, length, 10, length)));
    test::Append(tzx, test::StandardBlock(1000, test::RomData(0xFF, program)));
  }
  return tzx;
}

TEST(PluginHost, TheTapesChosenSideLoadsAndCancelLoadsNothing) {
  REQUIRE_ROM();
  const ScratchFolder folder;
  const std::string tape = folder.Write("menu.tzx", MenuTape());
  for (const auto& [answer, side] : {std::pair<std::intptr_t, char>{0, 'A'}, {1, 'B'}, {-1, 0}}) {
    SCOPED_TRACE(answer);
    DialogScript script;
    script.choice = answer;
    ReferenceHost host(TestHostOptions());
    ASSERT_EQ(RESULT_OK, host.Start());
    LoadOptions load;
    load.tapePath = tape;
    load.maxSeconds = 20;
    const LoadReport report = RunLoad(host, load);
    // After Cancel the host presses Play at the menu, which shows it again.
    ASSERT_GE(script.asked.size(), 2u);
    EXPECT_EQ("message 0:Choose\r\nside", script.asked[0]);
    for (std::size_t i = 1; i < script.asked.size(); ++i) EXPECT_EQ("choice 1:2", script.asked[i]);
    EXPECT_EQ(side != 0, script.asked.size() == 2);
    if (side == 0) {
      EXPECT_EQ("no_tape", report.exitReason);  // the deck waits at the menu
      EXPECT_FALSE(CharacterAt(host, 2, 0, 'S'));
    } else {
      EXPECT_TRUE(CharacterAt(host, 2, 5, side)) << "the program printed SIDE " << side;
    }
  }
}

}  // namespace
}  // namespace reelbox::host

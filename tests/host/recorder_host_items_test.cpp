// The recorder window's items in the reference host: the menu item and
// accelerators of either key scheme, the menu help, and the show/hide command
// with the host's toolbar button following it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/recorder_window.h"
#include "host_fixture.h"

namespace reelbox::host {
namespace {

TEST(RecorderHostItems, FollowTheKeyScheme) {
  REQUIRE_ROM();
  using Keys = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // key, modifiers
  const struct {
    std::uint32_t flags;
    std::string menu, help;
    Keys keys;
  } cases[] = {
      {1,
       "&Cassette Recorder\tCtrl+K",
       "Show or hide the cassette recorder window.\nCassette Recorder (Ctrl+K)",
       {{0x4B, 9}, {0x76, 9}, {0x20, 9}, {0x20, 0x19}}},
      {0,
       "&Cassette Recorder\tF6",
       "Show or hide the cassette recorder window.\nCassette Recorder (F6)",
       {{0x75, 1}, {0x76, 1}, {0x20, 0x19}}},
  };
  for (const auto& c : cases) {
    ReferenceHost host(TestHostOptions());
    host.Shell().SetOptionFlags(c.flags);
    ASSERT_EQ(RESULT_OK, host.Start());
    const std::vector<HostCommand>& commands = host.Shell().Commands();
    Keys keys;
    for (const HostCommand& command : commands) keys.emplace_back(command.key, command.modifiers);
    EXPECT_EQ(c.keys, keys);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(c.menu, commands[0].text);
    EXPECT_EQ(commands[1].id, commands[c.flags ? 2 : 1].id) << "Ctrl+F7 and Ctrl+Space are one command";
    char help[128] = "";
    host.Plugin().ToolWindow()->GetCommandHelp(commands[0].id, help, sizeof help);
    EXPECT_EQ(c.help, help);

    // Show/hide: the window and the host's toolbar button follow each other.
    ASSERT_EQ(1u, host.Shell().ToolbarButtons().size());
    EXPECT_FALSE(ReadRecorderWindow().visible);
    ASSERT_EQ(RESULT_OK, host.RunCommandForKey(c.keys[0].first));
    EXPECT_TRUE(ReadRecorderWindow().visible);
    ASSERT_EQ(RESULT_OK, host.RunCommandForKey(c.keys[0].first));
    EXPECT_FALSE(ReadRecorderWindow().visible);
  }
}

}  // namespace
}  // namespace reelbox::host

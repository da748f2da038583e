// The reference host with the real ROM and the plug-in loaded from its shared
// library: typing reaches BASIC, and every reference the plug-in took comes back.
#include <gtest/gtest.h>

#include "host/reference_host.h"
#include "host_fixture.h"

namespace reelbox::host {
namespace {

TEST(PluginHost, TypedCommandRunsInBasic) {
  REQUIRE_ROM();
  ReferenceHost host(TestHostOptions());
  ASSERT_EQ(host.Start(), RESULT_OK) << host.Error();
  host.RunFrames(100);
  ASSERT_TRUE(host.Type("PRINT 1+2\n"));
  while (host.Typing()) host.RunFrame();
  host.RunFrames(10);
  EXPECT_TRUE(CharacterAt(host, 0, 0, '3'));
  EXPECT_FALSE(host.Type("PRINT \x7F"));  // no key types that
}

TEST(PluginHost, EveryReferenceComesBackAtShutdown) {
  REQUIRE_ROM();
  ReferenceHost host(TestHostOptions());
  ASSERT_EQ(host.Start(), RESULT_OK) << host.Error();
  host.RunFrames(5);
  host.Shutdown();
  EXPECT_EQ(host.Machine().References(), 1u);
  EXPECT_EQ(host.Shell().References(), 1u);
  EXPECT_EQ(host.Registry().References(), 1u);
  EXPECT_EQ(host.Sound().References(), 1u);
  EXPECT_EQ(host.Media().References(), 1u);
  EXPECT_EQ(host.Display().References(), 1u);
  SoundBuffer* noise = host.Sound().FirstBuffer();
  if (noise != nullptr) {
    EXPECT_TRUE(noise->Released());
  }
}

TEST(PluginHost, PluginWritesItsSettingsWhenItGoes) {
  REQUIRE_ROM();
  ReferenceHost host(TestHostOptions());
  ASSERT_EQ(host.Start(), RESULT_OK) << host.Error();
  host.Shutdown();
  std::uint32_t embed = 7;
  EXPECT_TRUE(host.Settings().GetDword("Plugins\\Reelbox", "Embed", &embed));
  EXPECT_EQ(embed, 0u);
}

TEST(PluginHost, MissingPluginIsReported) {
  HostOptions options = TestHostOptions();
  options.pluginPath = "/nonexistent/libreelbox.so";
  ReferenceHost host(options);
  if (!RomAvailable()) GTEST_SKIP() << "no ROM";
  EXPECT_TRUE(Failed(host.Start()));
  EXPECT_FALSE(host.Error().empty());
}

}  // namespace
}  // namespace reelbox::host

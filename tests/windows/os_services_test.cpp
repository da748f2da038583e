// The OS version and key states as the plug-in reads them under Windows.
#include <gtest/gtest.h>

#include "platform/key_state.h"
#include "platform/os_version.h"

namespace reelbox::platform {
namespace {

// The deck and the tape writer only tell the NT family (platform 2) and its
// releases apart; every supported Windows is NT 6.0 or later.
TEST(OsServices, VersionIsOfTheNtFamily) {
  const OsVersion version = GetOsVersion();
  EXPECT_EQ(2u, version.platformId);
  EXPECT_GE(version.major, 6u);
}

// Nobody types during the tests: auto-load must not think Shift is held.
TEST(OsServices, NoModifierIsHeldWhenNobodyTypes) {
  EXPECT_FALSE(IsShiftKeyDown());
  EXPECT_FALSE(IsControlKeyDown());
}

}  // namespace
}  // namespace reelbox::platform

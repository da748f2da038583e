#include <gtest/gtest.h>

#include "contract/plugin_interfaces.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox {
namespace {

TEST(PluginObject, CreatesWithItsIdentity) {
  void* out = nullptr;
  ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IMediaHandler, &out));
  auto* media = static_cast<IMediaHandler*>(out);
  void* unknown = nullptr;
  ASSERT_EQ(RESULT_OK, media->QueryInterface(IID_IUnknown, &unknown));
  EXPECT_EQ(out, unknown);
  static_cast<IUnknown*>(unknown)->Release();
  EXPECT_EQ(0u, media->Release());
}

}  // namespace
}  // namespace reelbox

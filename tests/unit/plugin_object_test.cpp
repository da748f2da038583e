#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "contract/plugin_interfaces.h"
#include "fake_host_objects.h"
#include "platform/window_messages.h"
#include "shell/module_state.h"
#include "shell/tape_plugin.h"
#include "ui/cassette_recorder.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox {
namespace {

constexpr Guid IID_NONE_OF_OURS = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
void* const UNTOUCHED = reinterpret_cast<void*>(0x5A5A);

template <typename Interface>
Interface* Query(IUnknown* object, const Guid& iid) {
  void* out = nullptr;
  EXPECT_EQ(RESULT_OK, object->QueryInterface(iid, &out));
  return static_cast<Interface*>(out);
}

class PluginObject : public testing::Test {
 protected:
  void SetUp() override {
    void* out = nullptr;
    ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IMediaHandler, &out));
    media = static_cast<IMediaHandler*>(out);
  }
  void TearDown() override {
    if (media != nullptr) {
      EXPECT_EQ(0u, media->Release());
    }
  }
  IMediaHandler* media = nullptr;
};

TEST(PluginFactory, RefusesAggregation) {
  const std::int32_t live = liveObjectCount;
  test::FakeMediaHost outer;
  void* out = UNTOUCHED;
  EXPECT_EQ(RESULT_NOAGGREGATION, CreateInstance(&outer, IID_IMediaHandler, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(live, liveObjectCount);
}

TEST(PluginFactory, UnknownInterfaceDestroysTheNewObject) {
  const std::int32_t live = liveObjectCount;
  void* out = UNTOUCHED;
  EXPECT_EQ(RESULT_NOINTERFACE, CreateInstance(nullptr, IID_NONE_OF_OURS, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(live, liveObjectCount);
}

TEST(PluginFactory, EveryInterfaceCanBeAskedFor) {
  for (const Guid& iid : {IID_IUnknown, IID_IMediaHandler, IID_IToolWindow, IID_IDevice, IID_IOptionsProvider}) {
    const std::int32_t live = liveObjectCount;
    void* out = nullptr;
    ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, iid, &out));
    EXPECT_EQ(live + 1, liveObjectCount);
    EXPECT_EQ(0u, static_cast<IUnknown*>(out)->Release());
    EXPECT_EQ(live, liveObjectCount);
  }
}

TEST_F(PluginObject, InterfacesShareOneIdentityAndOneCount) {
  auto* unknown = Query<IUnknown>(media, IID_IUnknown);
  EXPECT_EQ(static_cast<IUnknown*>(media), unknown);
  auto* toolWindow = Query<IToolWindow>(media, IID_IToolWindow);
  auto* device = Query<IDevice>(media, IID_IDevice);
  auto* deviceFromWindow = Query<IDevice>(toolWindow, IID_IDevice);
  EXPECT_EQ(device, deviceFromWindow);
  auto* options = Query<IOptionsProvider>(device, IID_IOptionsProvider);
  EXPECT_EQ(static_cast<IUnknown*>(media), Query<IUnknown>(options, IID_IUnknown));
  EXPECT_EQ(media, Query<IMediaHandler>(options, IID_IMediaHandler));

  // One reference from creation and seven queries, the last two of them
  // through the object's identity (media).
  EXPECT_EQ(9u, device->AddRef());
  for (IUnknown* reference :
       std::vector<IUnknown*>{unknown, toolWindow, device, deviceFromWindow, options, media, media, device}) {
    reference->Release();
  }
  void* out = UNTOUCHED;
  EXPECT_EQ(RESULT_NOINTERFACE, options->QueryInterface(IID_NONE_OF_OURS, &out));
  EXPECT_EQ(nullptr, out);
}

TEST_F(PluginObject, ExtensionsByKind) {
  const char* const* list = reinterpret_cast<const char* const*>(UNTOUCHED);
  std::uint32_t count = 0;
  ASSERT_EQ(RESULT_OK, media->GetExtensions(1, &list, &count));
  EXPECT_EQ(2u, count);
  EXPECT_EQ(reinterpret_cast<const char* const*>(UNTOUCHED), list);

  ASSERT_EQ(RESULT_OK, media->GetExtensions(2, &list, &count));
  ASSERT_EQ(6u, count);
  EXPECT_EQ((std::vector<std::string>{".tap", ".blk", ".tzx", ".csw", ".voc", ".wav"}),
            std::vector<std::string>(list, list + count));

  EXPECT_EQ(RESULT_FAIL, media->GetExtensions(3, &list, &count));
  EXPECT_EQ(RESULT_FAIL, media->GetExtensions(0, &list, &count));
}

TEST_F(PluginObject, FilterTextFitsTheBuffer) {
  char text[100];
  ASSERT_EQ(RESULT_OK, media->GetFilterText(1, text, sizeof text));
  EXPECT_STREQ("Reelbox Files (.tap;.blk;.tzx;.csw;.voc;.wav)", text);
  char small[8];
  ASSERT_EQ(RESULT_OK, media->GetFilterText(1, small, sizeof small));
  EXPECT_STREQ("Reelbox", small);
  EXPECT_EQ(RESULT_FAIL, media->GetFilterText(2, text, sizeof text));
}

TEST_F(PluginObject, CreateTypeZeroIsTzxAndEveryOtherIsTap) {
  const struct {
    std::uint32_t index;
    const char* name;
    const char* extension;
    const char* descriptionEnd;
  } cases[] = {{0, "Audio cassette file (.tzx)", ".tzx", "Kestrelix's preferred tape format."},
               {1, "Audio cassette file (.tap)", ".tap", "transfer data to another emulator."},
               {5, "Audio cassette file (.tap)", ".tap", "transfer data to another emulator."}};
  for (const auto& c : cases) {
    CreateTypeInfo info;
    std::memset(&info, 0xCC, sizeof info);
    ASSERT_EQ(RESULT_OK, media->GetCreateType(c.index, &info));
    EXPECT_STREQ(c.name, info.name);
    EXPECT_STREQ(c.extension, info.extension);
    const std::string description = info.description;
    EXPECT_EQ(0u, description.find("Virtual audio cassette to save your programs and data to.\n\n"));
    EXPECT_EQ(description.size() - std::strlen(c.descriptionEnd), description.rfind(c.descriptionEnd));
    EXPECT_NE(0u, info.icon);
    for (std::uint8_t byte : info.notWritten) ASSERT_EQ(0xCC, byte);
  }
}

TEST_F(PluginObject, FixedAnswers) {
  std::uint32_t capabilities = 0;
  EXPECT_EQ(RESULT_OK, media->GetCapabilities(&capabilities));
  EXPECT_EQ(3u, capabilities);

  auto* toolWindow = Query<IToolWindow>(media, IID_IToolWindow);
  EXPECT_EQ(-1000, toolWindow->GetPriority());
  toolWindow->Release();

  auto* device = Query<IDevice>(media, IID_IDevice);
  const char* name = nullptr;
  EXPECT_EQ(RESULT_OK, device->GetName(&name));
  EXPECT_STREQ("reelbox.dll", name);
  std::uint8_t port = 0xFF;
  EXPECT_EQ(RESULT_FAIL, device->ReadPort(0xFF, &port));
  device->Release();
}

TEST(PluginSettings, WrittenOnReleaseOnlyAfterCreate) {
  test::FakeHostShell shell;
  void* out = nullptr;

  ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IToolWindow, &out));
  auto* neverCreated = static_cast<IToolWindow*>(out);
  EXPECT_EQ(0u, neverCreated->Release());
  EXPECT_TRUE(shell.dwordWrites.empty());

  ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IToolWindow, &out));
  auto* created = static_cast<IToolWindow*>(out);
  ASSERT_EQ(RESULT_OK, created->Create(nullptr, &shell));
  CassetteRecorder* recorder = static_cast<TapePlugin*>(created)->RecorderWindow();
  ASSERT_NE(nullptr, recorder);
  platform::DestroyMessageWindow(recorder->Window());
  EXPECT_EQ(0u, created->Release());
  EXPECT_EQ(0, shell.Written("Plugins\\Reelbox", "Embed"));
  EXPECT_EQ(1, shell.Written("Plugins\\Reelbox", "Warn Embed Large Files"));
}

}  // namespace
}  // namespace reelbox

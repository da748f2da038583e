// Auto-load under Windows: the snapshot comes from the module's "ZXSTATE"
// resources and goes to the first media handler that opens ".szx" files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window_messages.h"
#include "shell/tape_plugin.h"
#include "ui/cassette_recorder.h"
#include "unit/fake_host_objects.h"
#include "unit/scripted_machine.h"
#include "unit/tape_files.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox {
namespace {

using test::Bytes;

// Another plug-in's media handler: what it opens and what it is handed.
class SnapshotHandler final : public test::CountedFake<IMediaHandler> {
 public:
  SnapshotHandler(std::uint32_t capabilities, std::vector<const char*> extensions)
      : capabilities_(capabilities), extensions_(std::move(extensions)) {}
  HResult RB_CALL CreateMedia(std::uint32_t, const char*, IMediaHost*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL OpenMedia(const char*, IMediaHost*, std::uint32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL OpenMediaFromMemory(const void* data, std::uint32_t size, IMediaHost*, std::uint32_t flags) override {
    opened.emplace_back(static_cast<const char*>(data), size);
    lastFlags = flags;
    return RESULT_OK;
  }
  HResult RB_CALL MediaSlot6(std::uintptr_t, std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetCreateType(std::uint32_t, CreateTypeInfo*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaSlot8(std::uintptr_t, std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaSlot9(std::uintptr_t, std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaSlot10(std::uintptr_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetCapabilities(std::uint32_t* flags) override {
    *flags = capabilities_;
    return RESULT_OK;
  }
  HResult RB_CALL GetFilterText(std::uint32_t, char*, std::int32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetExtensions(std::uint32_t kind, const char* const** list, std::uint32_t* count) override {
    if (kind != 2) return RESULT_FAIL;
    *list = extensions_.data();
    *count = static_cast<std::uint32_t>(extensions_.size());
    return RESULT_OK;
  }

  std::vector<std::string> opened;
  std::uint32_t lastFlags = 0;

 private:
  std::uint32_t capabilities_;
  std::vector<const char*> extensions_;
};

IHostObject* AsHostObject(SnapshotHandler& handler) { return reinterpret_cast<IHostObject*>(&handler); }

TEST(AutoLoad, HandsTheMachinesSnapshotToTheSzxHandlerAndPlays) {
  test::ScratchFolder folder;
  const Bytes program = test::TapRecord(test::HeaderData(0, "LOADER", 30, 10, 30));
  const Bytes code = test::TapRecord(test::HeaderData(3, "SCREEN", 0x100, 0x5C00, 0));
  const std::string programTape =
      folder.Write("program.tap", test::Concat({program, test::TapRecord({0xFF, 1, 0xFE})}));
  const std::string codeTape = folder.Write("code.tap", test::Concat({code, test::TapRecord({0xFF, 1, 0xFE})}));
  const struct {
    const char* what;
    const std::string* tape;
    std::uint32_t model;
    const char* expected;  // what the .szx handler is handed, "" for nothing
  } cases[] = {
      {"48K program", &programTape, MODEL_48K, "ZXST-116"},
      {"48K code", &codeTape, MODEL_48K, "ZXST-117"},
      {"a machine without a snapshot", &programTape, 8, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SnapshotHandler printer(0x1, {".szx"});         // opens no files
    SnapshotHandler images(0x3, {".dsk", ".trd"});  // no snapshots
    SnapshotHandler snapshots(0x3, {".z80", ".SZX"});
    test::ScriptedMachine registry;
    registry.mediaHandlers = {AsHostObject(printer), AsHostObject(images), AsHostObject(snapshots)};
    test::FakeMediaHost media;
    media.registry = &registry;
    media.model = c.model;
    test::FakeHostShell shell;

    void* out = nullptr;
    ASSERT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IToolWindow, &out));
    auto* tool = static_cast<IToolWindow*>(out);
    ASSERT_EQ(RESULT_OK, tool->Create(nullptr, &shell));
    auto* plugin = static_cast<TapePlugin*>(tool);
    CassetteRecorder* recorder = plugin->RecorderWindow();
    recorder->DrainCommands(plugin->Deck());
    ASSERT_EQ(RESULT_OK, plugin->OpenMedia(c.tape->c_str(), &media, 0));

    EXPECT_TRUE(printer.opened.empty());
    EXPECT_TRUE(images.opened.empty());
    if (c.expected[0] == '\0') {
      EXPECT_TRUE(snapshots.opened.empty());
    } else {
      ASSERT_EQ(1u, snapshots.opened.size());
      EXPECT_EQ(c.expected, snapshots.opened[0]);
      EXPECT_EQ(1u, snapshots.lastFlags);
    }
    EXPECT_EQ(1u, recorder->Queue().CommandCount());  // Play
    platform::DestroyMessageWindow(recorder->Window());
    tool->Release();
  }
}

}  // namespace
}  // namespace reelbox

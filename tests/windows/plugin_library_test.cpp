// The built reelbox.dll as a host sees it: loaded by path, created through its
// only export, strings and icons from its own resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "contract/plugin_interfaces.h"

namespace reelbox {
namespace {

using CreateInstanceFunction = HResult(RB_CALL*)(IUnknown* outer, const Guid& riid, void** out);

// The build hands over a Unix path; Wine shows the Unix root as drive Z:.
std::string WindowsPath(const char* unixPath) {
  std::string path = std::string("Z:") + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string TempFilePath(const char* name) {
  char folder[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, folder);
  EXPECT_GT(length, 0u);
  return std::string(folder, length) + "reelbox_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
}

// A TAP block: length, flag, data and the XOR checksum of flag and data.
void AppendTapBlock(std::vector<std::uint8_t>& tape, std::uint8_t flag, const std::vector<std::uint8_t>& data) {
  const std::size_t length = data.size() + 2;
  tape.push_back(static_cast<std::uint8_t>(length));
  tape.push_back(static_cast<std::uint8_t>(length >> 8));
  std::uint8_t checksum = flag;
  tape.push_back(flag);
  for (std::uint8_t byte : data) {
    tape.push_back(byte);
    checksum ^= byte;
  }
  tape.push_back(checksum);
}

// A CODE header for a 4-byte block at 32768, and the block.
std::vector<std::uint8_t> CodeTapeBlocks() {
  std::vector<std::uint8_t> header = {3, 'r', 'e', 'e', 'l', 'b', 'o', 'x', ' ', ' ', ' ', 4, 0, 0x00, 0x80, 0, 0x80};
  std::vector<std::uint8_t> tape;
  AppendTapBlock(tape, 0x00, header);
  AppendTapBlock(tape, 0xFF, {1, 2, 3, 4});
  return tape;
}

// TZX 1.20 holding the same two blocks as standard-speed data blocks (ID 0x10).
std::vector<std::uint8_t> CodeTzx() {
  std::vector<std::uint8_t> tzx = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
  const std::vector<std::uint8_t> tap = CodeTapeBlocks();
  for (std::size_t at = 0; at < tap.size();) {
    const std::size_t length = tap[at] | (tap[at + 1] << 8);
    tzx.insert(tzx.end(), {0x10, 0xE8, 0x03});  // pause 1000 ms
    tzx.insert(tzx.end(), tap.begin() + at, tap.begin() + at + 2 + length);
    at += 2 + length;
  }
  return tzx;
}

// Records what OpenMedia tells the host.
class RecordingMediaHost final : public IMediaHost {
 public:
  HResult RB_CALL QueryInterface(const Guid&, void** out) override {
    *out = nullptr;
    return RESULT_NOINTERFACE;
  }
  std::uint32_t RB_CALL AddRef() override { return 1; }
  std::uint32_t RB_CALL Release() override { return 1; }
  HResult RB_CALL MediaHostSlot3() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot4() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MediaHostSlot6() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL IsAutoLoadBlocked() override { return 0; }
  HResult RB_CALL MediaOpened(const char* path) override {
    opened.push_back(path);
    return RESULT_OK;
  }
  HResult RB_CALL MediaNotify(std::uint32_t) override { return RESULT_OK; }
  HResult RB_CALL MediaHostSlot10() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetModel() override { return 1; }

  std::vector<std::string> opened;
};

class PluginLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    library = LoadLibraryA(WindowsPath(REELBOX_PLUGIN_PATH).c_str());
    ASSERT_NE(nullptr, library) << "LoadLibrary failed with error " << GetLastError();
    create =
        reinterpret_cast<CreateInstanceFunction>(reinterpret_cast<void*>(GetProcAddress(library, "CreateInstance")));
    ASSERT_NE(nullptr, create);
    void* out = nullptr;
    ASSERT_EQ(RESULT_OK, create(nullptr, IID_IMediaHandler, &out));
    media = static_cast<IMediaHandler*>(out);
  }

  void TearDown() override {
    if (media != nullptr) {
      EXPECT_EQ(0u, media->Release());
    }
    for (const std::string& path : written) DeleteFileA(path.c_str());
    if (library != nullptr) FreeLibrary(library);
  }

  std::string WriteTemp(const char* name, const std::vector<std::uint8_t>& bytes) {
    std::string path = TempFilePath(name);
    written.push_back(path);
    WriteFileBytes(path, bytes);
    return path;
  }

  HMODULE library = nullptr;
  CreateInstanceFunction create = nullptr;
  IMediaHandler* media = nullptr;
  std::vector<std::string> written;
};

TEST_F(PluginLibrary, InterfacesShareOneIdentity) {
  void* unknown = nullptr;
  void* device = nullptr;
  void* tool = nullptr;
  void* deviceFromTool = nullptr;
  void* options = nullptr;
  ASSERT_EQ(RESULT_OK, media->QueryInterface(IID_IUnknown, &unknown));
  ASSERT_EQ(RESULT_OK, media->QueryInterface(IID_IDevice, &device));
  ASSERT_EQ(RESULT_OK, media->QueryInterface(IID_IToolWindow, &tool));
  ASSERT_EQ(RESULT_OK, static_cast<IToolWindow*>(tool)->QueryInterface(IID_IDevice, &deviceFromTool));
  ASSERT_EQ(RESULT_OK, static_cast<IDevice*>(device)->QueryInterface(IID_IOptionsProvider, &options));
  EXPECT_EQ(static_cast<void*>(media), unknown);
  EXPECT_EQ(device, deviceFromTool);
  EXPECT_NE(unknown, device);
  EXPECT_NE(unknown, tool);
  EXPECT_NE(unknown, options);
  for (void* pointer : {unknown, device, tool, deviceFromTool, options}) static_cast<IUnknown*>(pointer)->Release();
}

TEST_F(PluginLibrary, RefusesAggregationAndUnknownInterfaces) {
  const Guid other = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  void* out = this;
  EXPECT_EQ(RESULT_NOAGGREGATION, create(media, IID_IMediaHandler, &out));
  EXPECT_EQ(nullptr, out);
  out = this;
  EXPECT_EQ(RESULT_NOINTERFACE, create(nullptr, other, &out));
  EXPECT_EQ(nullptr, out);
}

TEST_F(PluginLibrary, FilterTextComesFromTheStringTable) {
  char text[128] = {};
  ASSERT_EQ(RESULT_OK, media->GetFilterText(1, text, sizeof text));
  EXPECT_STREQ("Reelbox Files (.tap;.blk;.tzx;.csw;.voc;.wav)", text);

  char small[8] = "xxxxxxx";
  ASSERT_EQ(RESULT_OK, media->GetFilterText(1, small, sizeof small));
  EXPECT_STREQ("Reelbox", small);
  EXPECT_EQ(RESULT_FAIL, media->GetFilterText(2, text, sizeof text));
}

TEST_F(PluginLibrary, CreateTypesCarryTextsIconAndExtension) {
  struct Expected {
    std::uint32_t index;
    const char* name;
    const char* description;
    const char* extension;
  };
  const Expected expected[] = {
      {0, "Audio cassette file (.tzx)",
       "Virtual audio cassette to save your programs and data to.\n\nLess well supported by other emulators than TAP "
       "files.\n\nKestrelix's preferred tape format.",
       ".tzx"},
      {1, "Audio cassette file (.tap)",
       "Virtual audio cassette to save your programs and data to.\n\nIdeal format if you want to transfer data to "
       "another emulator.",
       ".tap"},
      {7, "Audio cassette file (.tap)", nullptr, ".tap"},
  };
  for (const Expected& type : expected) {
    SCOPED_TRACE(type.index);
    CreateTypeInfo info;
    std::memset(&info, 0x5A, sizeof info);
    ASSERT_EQ(RESULT_OK, media->GetCreateType(type.index, &info));
    EXPECT_STREQ(type.name, info.name);
    if (type.description != nullptr) {
      EXPECT_STREQ(type.description, info.description);
    }
    EXPECT_STREQ(type.extension, info.extension);
    EXPECT_NE(0u, info.icon);
    for (std::uint8_t byte : info.notWritten) ASSERT_EQ(0x5A, byte);
    DestroyIcon(reinterpret_cast<HICON>(static_cast<std::uintptr_t>(info.icon)));
  }
}

TEST_F(PluginLibrary, OpensTapAndTzxFiles) {
  const std::string tap = WriteTemp("code.tap", CodeTapeBlocks());
  const std::string tzx = WriteTemp("code.TZX", CodeTzx());
  RecordingMediaHost host;
  EXPECT_EQ(RESULT_OK, media->OpenMedia(tap.c_str(), &host, 0));
  EXPECT_EQ(RESULT_OK, media->OpenMedia(tzx.c_str(), &host, 0));
  EXPECT_EQ((std::vector<std::string>{tap, tzx}), host.opened);
}

TEST_F(PluginLibrary, FailedOpensLeaveTheHostUntold) {
  const std::string backup = WriteTemp("code.tzx.bak", CodeTzx());
  const std::string missing = TempFilePath("missing.tap");
  RecordingMediaHost host;
  EXPECT_EQ(TAPE_E_UNKNOWNTYPE, media->OpenMedia(backup.c_str(), &host, 0));
  EXPECT_EQ(static_cast<HResult>(0x80070002u), media->OpenMedia(missing.c_str(), &host, 0));  // file not found
  EXPECT_TRUE(host.opened.empty());
}

// While a tape is in, its file is mapped and the system keeps it as it was
// read: it cannot be replaced or rewritten from its start, nor deleted while
// the tape is in (Windows refuses; Wine marks it and deletes it once the tape
// goes out), and the plug-in goes on as if nothing had been tried.
TEST_F(PluginLibrary, OpenTapeFileCannotBeReplacedOrDeleted) {
  const std::string tzx = WriteTemp("held.tzx", CodeTzx());
  const std::string other = WriteTemp("other.tap", CodeTapeBlocks());
  RecordingMediaHost host;
  ASSERT_EQ(RESULT_OK, media->OpenMedia(tzx.c_str(), &host, 0));

  EXPECT_FALSE(MoveFileExA(other.c_str(), tzx.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  const HANDLE rewrite = CreateFileA(tzx.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, rewrite);
  EXPECT_EQ(static_cast<DWORD>(ERROR_USER_MAPPED_FILE), GetLastError());
  if (rewrite != INVALID_HANDLE_VALUE) CloseHandle(rewrite);
  const bool deleted = DeleteFileA(tzx.c_str()) != 0;
  if (!deleted) {
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  }

  void* device = nullptr;
  ASSERT_EQ(RESULT_OK, media->QueryInterface(IID_IDevice, &device));
  std::uint8_t port = 0xFF;
  EXPECT_EQ(RESULT_OK, static_cast<IDevice*>(device)->ReadPort(0xFE, &port));
  static_cast<IDevice*>(device)->Release();

  ASSERT_EQ(RESULT_OK, media->OpenMedia(other.c_str(), &host, 0));
  if (deleted) {
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(tzx.c_str()));
  } else {
    EXPECT_TRUE(DeleteFileA(tzx.c_str())) << GetLastError();
  }
}

}  // namespace
}  // namespace reelbox

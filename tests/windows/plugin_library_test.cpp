// The built reelbox.dll as a host sees it: loaded by path, created through its
// only export, strings and icons from its own resources, tape files held while
// they are in, and an embedded tape taken out into the local application data.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <shlobj.h>  // needs windows.h first
// clang-format on

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "snapshot/tape_chunk.h"
#include "unit/fake_host_objects.h"
#include "unit/tape_files.h"
#include "windows/test_host.h"

namespace reelbox::test {
namespace {

const std::string TAP = WindowsPath(REELBOX_SHARED_TAPES "/rom-loaded/rustzx-simple_tape.tap");
const std::string TZX = WindowsPath(REELBOX_SHARED_TAPES "/47loader/simple-demo.tzx");

Bytes FileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

class PluginLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetFileAttributesA(TAP.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no " << TAP;
    ASSERT_EQ(RESULT_OK, host.LoadPlugin(WindowsPath(REELBOX_PLUGIN_PATH)));
    media = host.Media();
    compression.AddRef();
    mediaHost.compression = &compression;
  }

  ScratchFolder scratch;  // outlasts the host, which holds its files
  WindowsTestHost host;
  IMediaHandler* media = nullptr;
  FakeCompressionService compression;
  FakeMediaHost mediaHost;
};

// The DLL's own string table and icons, not the program's (the open-file
// dialog's filter in the windows' checks is the DLL's too).
TEST_F(PluginLibrary, TextsAndIconsComeFromItsResources) {
  CreateTypeInfo info;
  ASSERT_EQ(RESULT_OK, media->GetCreateType(0, &info));
  EXPECT_STREQ("Audio cassette file (.tzx)", info.name);
  EXPECT_NE(0u, info.icon);
  DestroyIcon(reinterpret_cast<HICON>(static_cast<std::uintptr_t>(info.icon)));
}

// While a tape is in, its file is mapped and the system keeps it as it was
// read: it cannot be replaced or rewritten, nor deleted (Windows refuses; Wine
// marks it and deletes it once the tape goes out). Files it cannot read leave
// the host untold.
TEST_F(PluginLibrary, OpensTapAndTzxFilesAndHoldsTheOneThatIsIn) {
  const std::string held = scratch.Write("held.tzx", FileBytes(TZX));
  const std::string backup = scratch.Write("held.tzx.bak", FileBytes(TZX));
  EXPECT_EQ(TAPE_E_UNKNOWNTYPE, media->OpenMedia(backup.c_str(), &mediaHost, 0));
  EXPECT_EQ(static_cast<HResult>(0x80070002u), media->OpenMedia((held + ".gone.tap").c_str(), &mediaHost, 0));
  EXPECT_EQ(RESULT_OK, media->OpenMedia(TAP.c_str(), &mediaHost, 0));
  ASSERT_EQ(RESULT_OK, media->OpenMedia(held.c_str(), &mediaHost, 0));
  EXPECT_EQ((std::vector<std::string>{TAP, held}), mediaHost.opened);

  EXPECT_FALSE(MoveFileExA(backup.c_str(), held.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  const HANDLE rewrite = CreateFileA(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, rewrite);
  EXPECT_EQ(static_cast<DWORD>(ERROR_USER_MAPPED_FILE), GetLastError());
  const bool deleted = DeleteFileA(held.c_str()) != 0;
  EXPECT_TRUE(deleted || GetLastError() == ERROR_ACCESS_DENIED);
  std::uint8_t port = 0xFF;
  EXPECT_EQ(RESULT_OK, host.Device()->ReadPort(0xFE, &port));
  ASSERT_EQ(RESULT_OK, media->OpenMedia(TAP.c_str(), &mediaHost, 0));
  EXPECT_EQ(deleted, GetFileAttributesA(held.c_str()) == INVALID_FILE_ATTRIBUTES);
}

// A chunk embedding the tape plain at block 1 goes into the prefix's local
// application-data folder, which is emptied when the plug-in goes.
TEST_F(PluginLibrary, AnEmbeddedTapeIsTakenOutIntoLocalAppDataUntilThePluginGoes) {
  const Bytes tape = FileBytes(TAP);
  const Bytes chunk = TapeChunk(1, TAPE_FLAG_EMBEDDED, tape);
  EXPECT_EQ(RESULT_OK, host.Device()->LoadState(chunk.data(), &mediaHost, 0));

  char base[MAX_PATH];
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)));
  const std::string folder = std::string(base) + "\\Kestrelix\\Reelbox\\";
  const auto files = [&folder] {
    int count = 0;
    WIN32_FIND_DATAA entry;
    HANDLE listing = FindFirstFileA((folder + "*.*").c_str(), &entry);
    for (bool more = listing != INVALID_HANDLE_VALUE; more; more = FindNextFileA(listing, &entry)) {
      count += entry.cFileName[0] != '.';
    }
    if (listing != INVALID_HANDLE_VALUE) FindClose(listing);
    return count;
  };
  ASSERT_EQ(1u, mediaHost.opened.size());
  const std::string& opened = mediaHost.opened[0];
  EXPECT_EQ(folder + "~zx", opened.substr(0, folder.size() + 3));
  EXPECT_EQ(".tap", opened.substr(opened.size() - 4));
  EXPECT_EQ(tape, FileBytes(opened));
  EXPECT_EQ(2, files());  // the tape and its name's reservation
  host.ReleasePlugin();
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
  EXPECT_EQ(0, files());
}

}  // namespace
}  // namespace reelbox::test

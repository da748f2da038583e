// The DLL takes an embedded tape out of a snapshot into the Wine prefix's
// local application-data folder and empties that folder when it goes.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <shlobj.h>  // needs windows.h first
// clang-format on

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "contract/plugin_interfaces.h"
#include "snapshot/tape_chunk.h"
#include "unit/fake_host_objects.h"
#include "unit/tape_files.h"

namespace reelbox {
namespace {

using CreateInstanceFunction = HResult(RB_CALL*)(IUnknown* outer, const Guid& riid, void** out);

std::string LocalTapeFolder() {
  char base[MAX_PATH];
  EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)));
  return std::string(base) + "\\Kestrelix\\Reelbox\\";
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA((folder + "*.*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return names;
  do {
    if (entry.cFileName[0] != '.') names.push_back(entry.cFileName);
  } while (FindNextFileA(listing, &entry));
  FindClose(listing);
  return names;
}

// A chunk embedding bytes plain, at block 1, with extension "tap".
test::Bytes EmbeddedChunk(const test::Bytes& file) {
  test::Bytes chunk(TAPE_CHUNK_HEADER);
  StartTapeChunk(chunk.data());
  PutU32(chunk.data() + TAPE_AT_SIZE, TAPE_CHUNK_FIXED + static_cast<std::uint32_t>(file.size()));
  PutU16(chunk.data() + TAPE_AT_BLOCK, 1);
  PutU16(chunk.data() + TAPE_AT_FLAGS, TAPE_FLAG_EMBEDDED);
  PutU32(chunk.data() + TAPE_AT_UNCOMPRESSED, static_cast<std::uint32_t>(file.size()));
  PutU32(chunk.data() + TAPE_AT_STORED, static_cast<std::uint32_t>(file.size()));
  std::memcpy(chunk.data() + TAPE_AT_EXTENSION, "tap", 3);
  chunk.insert(chunk.end(), file.begin(), file.end());
  return chunk;
}

TEST(PrivateTapeFolder, LoadStateExtractsIntoLocalAppDataAndReleaseEmptiesIt) {
  std::string library = std::string("Z:") + REELBOX_PLUGIN_PATH;
  for (char& c : library) c = c == '/' ? '\\' : c;
  HMODULE module = LoadLibraryA(library.c_str());
  ASSERT_NE(nullptr, module);
  auto create =
      reinterpret_cast<CreateInstanceFunction>(reinterpret_cast<void*>(GetProcAddress(module, "CreateInstance")));
  ASSERT_NE(nullptr, create);
  void* out = nullptr;
  ASSERT_EQ(RESULT_OK, create(nullptr, IID_IDevice, &out));
  auto* device = static_cast<IDevice*>(out);

  const test::Bytes tape =
      test::Concat({test::TapRecord(test::DataBlockData(0xFF, 10)), test::TapRecord(test::DataBlockData(0xFF, 20))});
  test::FakeCompressionService compression;
  test::FakeMediaHost media;
  media.compression = &compression;
  EXPECT_EQ(RESULT_OK, device->LoadState(EmbeddedChunk(tape).data(), &media, 0));

  const std::string folder = LocalTapeFolder();
  ASSERT_EQ(1u, media.opened.size());
  const std::string& opened = media.opened[0];
  EXPECT_EQ(folder, opened.substr(0, folder.size()));
  EXPECT_EQ("~zx", opened.substr(folder.size(), 3));
  EXPECT_EQ(".tap", opened.substr(opened.size() - 4));
  std::ifstream in(opened, std::ios::binary);
  EXPECT_EQ(tape, test::Bytes(std::istreambuf_iterator<char>(in), {}));
  in.close();
  EXPECT_EQ(2u, FilesIn(folder).size());  // the tape and its name's reservation

  EXPECT_EQ(0u, device->Release());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
  EXPECT_TRUE(FilesIn(folder).empty());
  FreeLibrary(module);
}

}  // namespace
}  // namespace reelbox

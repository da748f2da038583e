// The TAPE chunk and auto-load against the reference host's own shell,
// registry, media host, settings and zlib service; the plug-in is linked in.
#include <cstring>
#include <random>

#include "host/chunk_collector.h"
#include "host/compression_service.h"
#include "host/host_shell.h"
#include "host/media_host.h"
#include "host/snapshot_handler.h"
#include "host/tap_image.h"
#include "host_fixture.h"
#include "in_process_plugin.h"
#include "platform/window_messages.h"
#include "resources/snapshot_resources.h"
#include "shell/tape_plugin.h"
#include "snapshot/tape_chunk.h"
#include "ui/cassette_recorder.h"
#include "ui/recorder_items.h"

namespace reelbox::host {
namespace {

namespace fs = std::filesystem;

// A program's header and data, then a pause.
const Bytes THREE_BLOCK_TZX =
    test::Concat({test::TzxHeader(), test::StandardBlock(1000, test::HeaderData(0, "LOADER", 2000, 10, 2000)),
                  test::StandardBlock(1000, test::RomData(0xFF, Bytes(2000, 0x0D))), test::PauseBlock(100)});

Bytes NoiseBytes(std::size_t count) {
  std::mt19937 random(7);
  Bytes bytes(count);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

// The plug-in with its recorder window, on the reference host's objects; the
// private tape folder under a scratch data home.
class TapeSnapshot : public testing::Test {
 protected:
  void SetUp() override { setenv("XDG_DATA_HOME", folder.PathOf("data").c_str(), 1); }
  void TearDown() override {
    while (!plugins.empty()) Drop();
    rb_set_keys_down(0);
    compression->Release();
  }

  // A new plug-in object whose window read the settings as they are now.
  TapePlugin* Make() {
    void* out = nullptr;
    EXPECT_EQ(RESULT_OK, CreateInstance(nullptr, IID_IToolWindow, &out));
    auto* tool = static_cast<IToolWindow*>(out);
    EXPECT_EQ(RESULT_OK, tool->Create(shell.GetMainWindow(), &shell));
    plugins.push_back(static_cast<TapePlugin*>(tool));
    return plugins.back();
  }
  // Destroys the newest plug-in object as the host does: window, then object.
  void Drop() {
    TapePlugin* plugin = plugins.back();
    plugins.pop_back();
    if (plugin->RecorderWindow() != nullptr) platform::DestroyMessageWindow(plugin->RecorderWindow()->Window());
    static_cast<IToolWindow*>(plugin)->Release();
  }
  void SetEmbedding(std::uint32_t embed, std::uint32_t warn) {
    settings.SetDword(SETTINGS_KEY, "Embed", embed);
    settings.SetDword(SETTINGS_KEY, "Warn Embed Large Files", warn);
  }
  // Saves the plug-in's state; the one chunk written, or empty.
  Bytes Save(TapePlugin* plugin, HResult expected = RESULT_OK) {
    ChunkCollector writer;
    EXPECT_EQ(expected, plugin->SaveState(&writer, &media, 0));
    EXPECT_LE(writer.chunks.size(), 1u);
    return writer.chunks.empty() ? Bytes{} : ChunkBytes(writer.chunks[0]);
  }
  // The chunk saved for the file at path with embedTape set to embed; open
  // makes it the plug-in's tape, else the window only names it.
  Bytes SavedChunk(const std::string& path, std::uint32_t embed, bool open) {
    SetEmbedding(embed, 0);
    TapePlugin* plugin = Make();
    if (open) {
      EXPECT_EQ(RESULT_OK, plugin->OpenMedia(path.c_str(), &media, 0));
    } else {
      plugin->RecorderWindow()->TapeLoaded(path.c_str());
    }
    Bytes chunk = Save(plugin);
    Drop();
    return chunk;
  }
  std::string TapeFolder() const { return folder.PathOf("data") + "/Kestrelix/Reelbox/"; }
  std::size_t FolderFiles() const {
    std::error_code none;
    return fs::is_directory(TapeFolder()) ? std::distance(fs::directory_iterator(TapeFolder(), none), {}) : 0;
  }

  ScratchFolder folder;
  DialogScript script;
  SettingsStore settings;
  HostRegistry registry;
  HostShell shell{&settings, &registry};
  ICompressionService* compression = CreateCompressionService();
  MediaHost media{&registry, compression, MODEL_48K};
  std::vector<TapePlugin*> plugins;
};

TEST_F(TapeSnapshot, SavingLinksOrEmbedsAsTheSettingsAndTheFileSay) {
  const Bytes noise = NoiseBytes(3000);
  const struct {
    const char* name;
    const Bytes* bytes;
    std::uint32_t embed, warn;
    std::int32_t answer;
    bool asks;
    std::uint16_t flags;  // 0 linked, 1 embedded plain, 3 embedded compressed
  } cases[] = {
      {"game.tzx", &THREE_BLOCK_TZX, 0, 1, 0, false, 0},
      {"game.TZX", &THREE_BLOCK_TZX, 1, 1, 0, false, 3},
      {"noise.tap", &noise, 1, 1, 0, false, 1},
      {"song.wav", &THREE_BLOCK_TZX, 1, 1, platform::ANSWER_NO, true, 0},
      {"song.wav", &THREE_BLOCK_TZX, 1, 1, platform::ANSWER_YES, true, 3},
      {"song.wav", &THREE_BLOCK_TZX, 1, 0, 0, false, 3},
      {"~zxA1B2.wav", &THREE_BLOCK_TZX, 0, 1, platform::ANSWER_NO, false, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + std::string(" embed ") + std::to_string(c.embed) + " warn " + std::to_string(c.warn));
    SetEmbedding(c.embed, c.warn);
    script.asked.clear();
    script.messageAnswer = c.answer;
    TapePlugin* plugin = Make();
    const std::string path = folder.Write(c.name, *c.bytes);
    plugin->RecorderWindow()->TapeLoaded(path.c_str());  // any file: saving does not read it as a tape
    const Bytes chunk = Save(plugin);
    ASSERT_GE(chunk.size(), TAPE_CHUNK_HEADER);
    EXPECT_EQ(c.asks ? 1u : 0u, script.asked.size());
    TapeChunk fields;
    ASSERT_EQ(RESULT_OK, ParseTapeChunk(chunk.data(), &fields));
    EXPECT_EQ(chunk.size(), 8 + GetU32(chunk.data() + TAPE_AT_SIZE));
    EXPECT_EQ(c.flags, fields.flags);
    EXPECT_STRCASEEQ(std::strrchr(c.name, '.') + 1, fields.extension);
    EXPECT_EQ(c.flags == 0 ? 0 : c.bytes->size(), fields.uncompressedSize);
    if (c.flags == 0) {
      EXPECT_EQ(path, fields.LinkedPath());
    } else if (fields.Compressed()) {  // its bytes: the round trip below
      EXPECT_LT(fields.storedLength, fields.uncompressedSize);
    } else {
      EXPECT_EQ(*c.bytes, Bytes(fields.data, fields.data + fields.storedLength));
    }
    Drop();
  }
}

TEST_F(TapeSnapshot, SavingRefusesWhatItCannotDo) {
  TapePlugin* plugin = Make();
  EXPECT_TRUE(Save(plugin).empty());  // no tape: nothing written, success
  const std::string path = folder.Write("gone.tzx", THREE_BLOCK_TZX);
  ASSERT_EQ(RESULT_OK, plugin->OpenMedia(path.c_str(), &media, 0));
  ChunkCollector writer;
  EXPECT_EQ(RESULT_NOTIMPL, plugin->SaveState(&writer, &media, 1));
  fs::remove(path);
  EXPECT_TRUE(Save(plugin, static_cast<HResult>(0x80070002u)).empty());
  EXPECT_TRUE(writer.chunks.empty());
}

// Saved at block 2, loaded into a new plug-in object: the same tape at the
// same block, auto-load held off; a tape that came out of a snapshot is
// embedded again; the private folder is emptied when the object goes.
TEST_F(TapeSnapshot, RoundTripResumesAtTheSameBlock) {
  for (std::uint32_t embed : {0u, 1u}) {
    SCOPED_TRACE(embed ? "embedded" : "linked");
    SetEmbedding(embed, 1);
    const std::string path = folder.Write("game.tzx", THREE_BLOCK_TZX);
    TapePlugin* saver = Make();
    ASSERT_EQ(RESULT_OK, saver->OpenMedia(path.c_str(), &media, 0));
    saver->Deck().GoToBlock(2);
    const Bytes chunk = Save(saver);

    SetEmbedding(0, 1);
    TapePlugin* loader = Make();
    ASSERT_EQ(1u, loader->RecorderWindow()->autoLoad);
    loader->RecorderWindow()->DrainCommands(loader->Deck());
    ASSERT_EQ(RESULT_OK, loader->LoadState(chunk.data(), &media, 0));
    EXPECT_EQ(2, loader->Deck().blockIndex);
    char status[64] = {};
    rb_get_window_item(loader->RecorderWindow()->Window(), ITEM_STATUS, 1, nullptr, status, sizeof status);
    EXPECT_STREQ("Block 3 of 3", status);  // the block is highlighted
    EXPECT_EQ(1u, loader->RecorderWindow()->autoLoad);
    EXPECT_EQ(0u, loader->RecorderWindow()->Queue().CommandCount());  // a self-starting tape, not started
    const std::string opened = loader->RecorderWindow()->tapePath;
    if (embed == 0) {
      EXPECT_EQ(path, opened);
      continue;
    }
    EXPECT_EQ(TapeFolder(), opened.substr(0, TapeFolder().size()));
    EXPECT_EQ("~zx", fs::path(opened).filename().string().substr(0, 3));
    EXPECT_EQ(".tzx", fs::path(opened).extension());
    EXPECT_EQ(THREE_BLOCK_TZX, ReadBytes(opened));
    EXPECT_EQ(1u, loader->RecorderWindow()->recordDisabled);
    TapeChunk again;
    const Bytes resaved = Save(loader);  // embedTape is 0 now
    ASSERT_EQ(RESULT_OK, ParseTapeChunk(resaved.data(), &again));
    EXPECT_TRUE(again.Embedded());
    while (!plugins.empty()) Drop();
    EXPECT_TRUE(fs::is_directory(TapeFolder()));
    EXPECT_EQ(0u, FolderFiles());
  }
}

// A chunk whose fields disagree is refused and leaves nothing in the folder.
TEST_F(TapeSnapshot, HostileChunksAreRefused) {
  const std::string path = folder.Write("game.tzx", THREE_BLOCK_TZX);
  const std::string noise = folder.Write("noise.tap", NoiseBytes(200));
  const Bytes compressed = SavedChunk(path, 1, true);
  const Bytes stored = SavedChunk(noise, 1, false);
  const Bytes link = SavedChunk(path, 0, false);
  ASSERT_EQ(3u, GetU16(compressed.data() + TAPE_AT_FLAGS));
  ASSERT_EQ(1u, GetU16(stored.data() + TAPE_AT_FLAGS));

  const HResult badData = static_cast<HResult>(0x8007000Du);
  const std::int64_t ONE_LESS = -1;
  const struct {
    const char* what;
    const Bytes* base;
    std::size_t at;
    std::int64_t add;  // to the u32 there, when nothing is written
    Bytes write;
    HResult expected;
  } cases[] = {
      {"size field one more than the data", &compressed, TAPE_AT_SIZE, 1, {}, TAPE_E_BADFORMAT},
      {"stored length one less", &compressed, TAPE_AT_STORED, ONE_LESS, {}, TAPE_E_BADFORMAT},
      {"plain data shorter than the file", &stored, TAPE_AT_UNCOMPRESSED, 1, {}, TAPE_E_BADFORMAT},
      {"plain data longer than the file", &stored, TAPE_AT_UNCOMPRESSED, ONE_LESS, {}, TAPE_E_BADFORMAT},
      {"corrupt compressed data", &compressed, TAPE_CHUNK_HEADER, 0, {0xFF}, badData},
      {"inflates past the stated size", &compressed, TAPE_AT_UNCOMPRESSED, ONE_LESS, {}, RESULT_FAIL},
      {"inflates short of the stated size", &compressed, TAPE_AT_UNCOMPRESSED, 1, {}, TAPE_E_BADFORMAT},
      {"states more than zlib can inflate to",
       &compressed,
       TAPE_AT_UNCOMPRESSED,
       0,
       {0xFF, 0xFF, 0xFF, 0x7F},
       TAPE_E_BADFORMAT},
      {"extension without its terminator", &compressed, TAPE_AT_EXTENSION, 0, Bytes(16, 'x'), TAPE_E_BADFORMAT},
      {"extension naming another folder", &compressed, TAPE_AT_EXTENSION, 0, {'.', '.', '/', 0}, TAPE_E_BADFORMAT},
      {"block number past the tape", &compressed, TAPE_AT_BLOCK, 0, {3, 0}, TAPE_E_BADFORMAT},
      {"linked path without its NUL", &link, TAPE_CHUNK_HEADER + path.size(), 0, {'x'}, TAPE_E_BADFORMAT},
      {"not a TAPE chunk", &compressed, 0, 0, {'U', 'A', 'P', 'E'}, RESULT_OK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes chunk = *c.base;
    if (c.add != 0) PutU32(chunk.data() + c.at, GetU32(chunk.data() + c.at) + static_cast<std::uint32_t>(c.add));
    std::copy(c.write.begin(), c.write.end(), chunk.begin() + static_cast<long>(c.at));
    chunk.resize(8 + GetU32(chunk.data() + TAPE_AT_SIZE) + 64);  // the size field says where it ends
    TapePlugin* loader = Make();
    EXPECT_EQ(c.expected, loader->LoadState(chunk.data(), &media, 0));
    if (c.expected == TAPE_E_BADFORMAT && c.at == TAPE_AT_BLOCK) {
      EXPECT_EQ(1u, loader->RecorderWindow()->tapeInserted);  // refused after the tape was opened
      EXPECT_EQ(2u, FolderFiles());                           // the tape and its name's reservation
    } else {
      EXPECT_EQ(0u, loader->RecorderWindow()->tapeInserted);
      EXPECT_EQ(0u, FolderFiles());
    }
    Drop();
  }
  TapePlugin* loader = Make();
  EXPECT_EQ(RESULT_NOTIMPL, loader->LoadState(compressed.data(), &media, 2));
}

// Opening a self-starting tape has the host's .szx handler open the snapshot
// for the machine and starts the tape, unless something holds auto-load off.
TEST_F(TapeSnapshot, AutoLoadHandsOverTheMachinesSnapshotAndPlays) {
  TapImage basic, code, data;
  basic.AddProgram("LOADER", Bytes(30, 0x0D), 10);
  const std::string program = folder.Write("game.tap", basic.Bytes());
  code.AddCode("SYS", Bytes(0x100), 0x5C00);
  data.AddBlock(0xFF, Bytes(30));
  const std::string codePath = folder.Write("code.tap", code.Bytes());
  const std::string dataPath = folder.Write("data.tap", data.Bytes());
  Bytes handed;
  SnapshotHandler szx([&handed](const std::uint8_t* bytes, std::size_t size) {
    handed.assign(bytes, bytes + size);
    return RESULT_OK;
  });
  registry.AddObject(HOST_OBJECT_MEDIA_HANDLER, &szx);
  const struct {
    const char* what;
    const std::string* tape;
    std::uint32_t model, keys;
    bool blocked, recording, windowAutoLoad;
    std::uint32_t snapshot;  // 0: none handed over
    bool plays;
  } cases[] = {
      {"48K program", &program, MODEL_48K, 0, false, false, true, 116, true},
      {"48K code", &codePath, MODEL_48K, 0, false, false, true, 117, true},
      {"48K with Ctrl: a 128K in 48 BASIC", &program, MODEL_48K, RB_KEY_CONTROL, false, false, true, 119, true},
      {"+3", &program, MODEL_PLUS3, 0, false, false, true, 136, true},
      {"+3 with Ctrl", &program, MODEL_PLUS3, RB_KEY_CONTROL, false, false, true, 135, true},
      {"no snapshot for the machine", &program, 8, 0, false, false, true, 0, true},
      {"a headerless data block", &dataPath, MODEL_48K, 0, false, false, true, 0, false},
      {"Shift held", &program, MODEL_48K, RB_KEY_SHIFT, false, false, true, 0, false},
      {"the window's auto-load off", &program, MODEL_48K, 0, false, false, false, 0, false},
      {"blocked by the host", &program, MODEL_48K, 0, true, false, true, 0, false},
      {"input recording running", &program, MODEL_48K, 0, false, true, true, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    media.SetModel(c.model);
    media.BlockAutoLoad(c.blocked);
    registry.SetDword("replix.dll\\RZX_RECORDING", c.recording ? 1 : 0);
    rb_set_keys_down(c.keys);
    handed.clear();
    TapePlugin* plugin = Make();
    plugin->RecorderWindow()->autoLoad = c.windowAutoLoad ? 1 : 0;
    plugin->RecorderWindow()->DrainCommands(plugin->Deck());
    ASSERT_EQ(RESULT_OK, plugin->OpenMedia(c.tape->c_str(), &media, 0));
    const void* expected = nullptr;
    std::uint32_t size = 0;
    if (c.snapshot != 0) {
      ASSERT_TRUE(FindSnapshotResource(nullptr, c.snapshot, &expected, &size));
    }
    EXPECT_EQ(Bytes(static_cast<const std::uint8_t*>(expected), static_cast<const std::uint8_t*>(expected) + size),
              handed);
    EXPECT_EQ(c.plays ? 1u : 0u, plugin->RecorderWindow()->Queue().CommandCount());
    Drop();
  }
}

}  // namespace
}  // namespace reelbox::host

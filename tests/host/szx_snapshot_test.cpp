// zx-state snapshots in the reference host: malformed files refused with a
// reason, a saved machine that runs on as the original did, the refusal of a
// model without its ROMs, and the ".szx" media handler among the host's objects.
#include <gtest/gtest.h>

#include <cstring>

#include "host/szx_format.h"
#include "host_fixture.h"
#include "resources/snapshot_resources.h"

namespace reelbox::host {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Chunk(const char (&id)[5], const Bytes& body) { return ChunkBytes(SzxChunk{SzxId(id), body}); }

Bytes File(std::initializer_list<Bytes> chunks, std::uint8_t major = 1) {
  Bytes file = {'Z', 'X', 'S', 'T', major, 4, 1, 0};
  for (const Bytes& chunk : chunks) file.insert(file.end(), chunk.begin(), chunk.end());
  return file;
}

TEST(SzxReader, RefusesMalformedSnapshotsSayingWhy) {
  const Bytes z80(37, 0);
  const Bytes spcr(8, 0);
  Bytes runsOver = Chunk("Z80R", z80);
  runsOver[4] = 38;
  Bytes page = {0, 0, 5};  // uncompressed, page 5, but 100 bytes
  page.resize(103);
  const Bytes badZlib = {1, 0, 5, 0x78, 0x9C, 1, 2, 3};
  Bytes fullPage = {0, 0, 5};
  fullPage.resize(3 + 16384);
  struct Case {
    Bytes file;
    const char* reason;
  };
  const Case cases[] = {
      {{}, "no ZXST header"},
      {{'Z', 'X', 'S', 'X', 1, 4, 1, 0}, "no ZXST header"},
      {File({}, 2), "version 2"},
      {File({Chunk("SPCR", spcr)}), "no Z80R"},
      {File({Chunk("Z80R", z80)}), "no SPCR"},
      {File({Chunk("Z80R", Bytes(20, 0)), Chunk("SPCR", spcr)}), "Z80R chunk holds 20 bytes"},
      {File({Chunk("SPCR", spcr), runsOver}), "Z80R chunk runs past the end"},
      {File({Chunk("Z80R", z80), Chunk("SPCR", spcr), Bytes{'R', 'A', 'M'}}), "ends inside a chunk header"},
      {File({Chunk("Z80R", z80), Chunk("SPCR", spcr), Chunk("RAMP", page)}), "holds 100 bytes, not 16384"},
      {File({Chunk("Z80R", z80), Chunk("SPCR", spcr), Chunk("RAMP", badZlib)}), "does not inflate"},
      {File({Chunk("Z80R", z80), Chunk("SPCR", spcr), Chunk("RAMP", fullPage), Chunk("RAMP", fullPage)}),
       "appears twice"},
      {File({Chunk("Z80R", z80), Chunk("SPCR", spcr), Chunk("AY\0\0", Bytes(5, 0))}), "AY.. chunk holds 5"},
  };
  for (const Case& c : cases) {
    SzxState state;
    std::string error;
    EXPECT_FALSE(ReadSzx(c.file.data(), c.file.size(), &state, &error)) << c.reason;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.reason << " / " << error;
  }
}

TEST(SzxHost, ASavedMachineRunsOnAsTheOriginal) {
  REQUIRE_ROM();
  ReferenceHost original(TestHostOptions());
  ASSERT_EQ(original.Start(), RESULT_OK);
  original.RunFrames(120);
  original.Type("PRINT 1\n");
  while (original.Typing()) original.RunFrame();
  original.RunFrames(20);
  Bytes file;
  ASSERT_EQ(original.SaveSnapshot(&file), RESULT_OK);

  HostOptions options = TestHostOptions();
  options.model = MODEL_16K;  // the snapshot brings its own machine
  ReferenceHost copy(options);
  ASSERT_EQ(copy.Start(), RESULT_OK);
  ASSERT_EQ(copy.LoadSnapshot(file.data(), file.size()), RESULT_OK) << copy.Error();
  EXPECT_EQ(copy.Machine().GetModel(), MODEL_48K);
  original.RunFrames(100);
  copy.RunFrames(100);
  EXPECT_EQ(0, std::memcmp(original.Cpu().Memory(), copy.Cpu().Memory(), 65536));
  EXPECT_EQ(original.Cpu().Register(regPC), copy.Cpu().Register(regPC));
  EXPECT_TRUE(CharacterAt(copy, 0, 0, '1'));
}

TEST(SzxHost, AModelWithoutItsRomsIsRefusedByName) {
  REQUIRE_ROM();
  ReferenceHost host(TestHostOptions());
  ASSERT_EQ(host.Start(), RESULT_OK);
  const void* data = nullptr;
  std::uint32_t size = 0;
  ASSERT_TRUE(FindSnapshotResource(nullptr, 115, &data, &size));
  EXPECT_TRUE(Failed(host.LoadSnapshot(static_cast<const std::uint8_t*>(data), size)));
  EXPECT_NE(host.Error().find("128-0.rom, 128-1.rom"), std::string::npos) << host.Error();
  EXPECT_EQ(host.Machine().GetModel(), MODEL_48K);
}

TEST(SzxHost, TheSnapshotHandlerIsAMediaHandlerForSzx) {
  REQUIRE_ROM();
  ReferenceHost host(TestHostOptions());
  ASSERT_EQ(host.Start(), RESULT_OK);
  IHostObject* object = nullptr;
  ASSERT_EQ(host.Registry().GetObjectAt(HOST_OBJECT_MEDIA_HANDLER, 0, &object), RESULT_OK);
  auto* handler = reinterpret_cast<IMediaHandler*>(object);
  std::uint32_t flags = 0;
  ASSERT_EQ(handler->GetCapabilities(&flags), RESULT_OK);
  EXPECT_TRUE(flags & 2);
  const char* const* extensions = nullptr;
  std::uint32_t count = 0;
  ASSERT_EQ(handler->GetExtensions(2, &extensions, &count), RESULT_OK);
  ASSERT_EQ(count, 1u);
  EXPECT_STREQ(extensions[0], ".szx");
  const Bytes junk = {'Z', 'X', 'S', 'T', 1};
  EXPECT_EQ(handler->OpenMediaFromMemory(junk.data(), 5, &host.Media(), 1), TAPE_E_BADFORMAT);
}

}  // namespace
}  // namespace reelbox::host

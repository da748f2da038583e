// The host's own services: the sound device that keeps what it plays, zlib,
// the registry, the settings file, SHA-256 and the BASIC and TAP makers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "host/basic_program.h"
#include "host/compression_service.h"
#include "host/host_objects.h"
#include "host/settings_store.h"
#include "host/sha256.h"
#include "host/sound_device.h"
#include "host/tap_image.h"

namespace reelbox::host {
namespace {

WaveFormat NoiseFormat() { return WaveFormat{1, 1, 44100, 88200, 2, 16, 0}; }

IDirectSoundBuffer* MakeBuffer(SoundDevice& device, std::uint32_t bytes, WaveFormat* format) {
  SoundBufferDesc desc{static_cast<std::uint32_t>(sizeof(SoundBufferDesc)), 0x18000, bytes, 0, format};
  IDirectSoundBuffer* buffer = nullptr;
  EXPECT_EQ(device.CreateSoundBuffer(&desc, &buffer, nullptr), RESULT_OK);
  return buffer;
}

void Fill(IDirectSoundBuffer* buffer, std::uint32_t offset, std::uint32_t bytes, std::uint8_t value) {
  void* part1 = nullptr;
  void* part2 = nullptr;
  std::uint32_t bytes1 = 0;
  std::uint32_t bytes2 = 0;
  ASSERT_EQ(buffer->Lock(offset, bytes, &part1, &bytes1, &part2, &bytes2, 0), RESULT_OK);
  std::memset(part1, value, bytes1);
  if (part2 != nullptr) std::memset(part2, value, bytes2);
  ASSERT_EQ(buffer->Unlock(part1, bytes1, part2, bytes2), RESULT_OK);
}

TEST(SoundDeviceTest, KeepsWhatTheLoopingBufferPlaysFrameByFrame) {
  SoundDevice device;
  device.KeepPlayedSound(true);
  WaveFormat format = NoiseFormat();
  IDirectSoundBuffer* buffer = MakeBuffer(device, 88200, &format);
  for (std::uint32_t frame = 0; frame < 50; ++frame) Fill(buffer, frame * 1764, 1764, static_cast<std::uint8_t>(frame));
  device.AdvanceFrame();  // stopped: a frame of silence
  ASSERT_EQ(buffer->SetCurrentPosition(48 * 1764), RESULT_OK);
  ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), RESULT_OK);
  for (int frame = 0; frame < 3; ++frame) device.AdvanceFrame();
  const std::vector<std::uint8_t>& played = device.Played();
  ASSERT_EQ(played.size(), 4u * 1764);
  const std::uint8_t expected[] = {0, 48, 49, 0};  // the cursor wraps to the start
  for (int frame = 0; frame < 4; ++frame) EXPECT_EQ(played[frame * 1764 + 100], expected[frame]) << frame;
  EXPECT_EQ(buffer->Release(), 0u);
  device.AdvanceFrame();  // a released buffer plays nothing
  EXPECT_EQ(played[5 * 1764 - 1], 0);
}

TEST(SoundDeviceTest, LockAcrossTheEndWrapsAndBadRequestsFail) {
  SoundDevice device;
  WaveFormat format = NoiseFormat();
  IDirectSoundBuffer* buffer = MakeBuffer(device, 1000, &format);
  void* part1 = nullptr;
  void* part2 = nullptr;
  std::uint32_t bytes1 = 0;
  std::uint32_t bytes2 = 0;
  ASSERT_EQ(buffer->Lock(900, 300, &part1, &bytes1, &part2, &bytes2, 0), RESULT_OK);
  EXPECT_EQ(bytes1, 100u);
  EXPECT_EQ(bytes2, 200u);
  EXPECT_NE(part2, nullptr);
  EXPECT_NE(buffer->Lock(0, 10, &part1, &bytes1, &part2, &bytes2, 0), RESULT_OK);  // still locked
  buffer->Unlock(part1, bytes1, part2, bytes2);
  EXPECT_EQ(buffer->Lock(1000, 10, &part1, &bytes1, &part2, &bytes2, 0), RESULT_INVALIDARG);
  device.FirstBuffer()->Lose();
  EXPECT_EQ(buffer->Lock(0, 10, &part1, &bytes1, &part2, &bytes2, 0), DSERR_BUFFERLOST);
  buffer->Restore();
  EXPECT_EQ(buffer->Lock(0, 10, &part1, &bytes1, &part2, &bytes2, 0), RESULT_OK);

  WaveFormat odd = NoiseFormat();
  odd.blockAlign = 3;
  SoundBufferDesc desc{24, 0, 1000, 0, &odd};
  IDirectSoundBuffer* refused = nullptr;
  EXPECT_EQ(device.CreateSoundBuffer(&desc, &refused, nullptr), RESULT_INVALIDARG);
  EXPECT_EQ(refused, nullptr);
}

std::string TemporaryPath(const char* suffix) {
  std::string path = std::string("/tmp/reelbox-host-test-XXXXXX") + suffix;
  const int fd = mkstemps(path.data(), static_cast<int>(std::strlen(suffix)));
  if (fd >= 0) close(fd);
  return path;
}

TEST(CompressionTest, RoundTripAndInflatingFromAFile) {
  ICompressionService& zlib = *CreateCompressionService();
  std::vector<std::uint8_t> original(5000);
  for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<std::uint8_t>(i * 7 / 13);
  std::vector<std::uint8_t> packed(6000);
  auto packedSize = static_cast<std::uint32_t>(packed.size());
  ASSERT_EQ(zlib.Compress(original.data(), 5000, packed.data(), &packedSize), RESULT_OK);
  std::vector<std::uint8_t> unpacked(5000);
  std::uint32_t unpackedSize = 5000;
  ASSERT_EQ(zlib.Decompress(packed.data(), packedSize, unpacked.data(), &unpackedSize), RESULT_OK);
  EXPECT_EQ(unpacked, original);
  unpackedSize = 100;  // too small
  EXPECT_TRUE(Failed(zlib.Decompress(packed.data(), packedSize, unpacked.data(), &unpackedSize)));

  // A file with a 3-byte prefix, read from its current position.
  const std::string path = TemporaryPath(".z");
  {
    std::ofstream file(path, std::ios::binary);
    file.write("abc", 3);
    file.write(reinterpret_cast<const char*>(packed.data()), packedSize);
  }
  for (const std::uint32_t available : {packedSize, packedSize - 10}) {
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_EQ(lseek(fileno(file), 3, SEEK_SET), 3);
    IInflateReader* reader = nullptr;
    ASSERT_EQ(zlib.OpenInflateReader(fileno(file), available, &reader), RESULT_OK);
    std::vector<std::uint8_t> out;
    std::uint8_t chunk[700];
    std::uint32_t produced = 0;
    HResult result = RESULT_OK;
    while (Succeeded(result = reader->Read(chunk, sizeof chunk, &produced)) && produced > 0) {
      out.insert(out.end(), chunk, chunk + produced);
    }
    // A stream cut short ends early with what it held.
    EXPECT_TRUE(Succeeded(result));
    if (available == packedSize) {
      EXPECT_EQ(out, original);
    } else {
      EXPECT_LT(out.size(), original.size());
      EXPECT_TRUE(std::equal(out.begin(), out.end(), original.begin()));
    }
    reader->Release();
    std::fclose(file);
  }
  std::remove(path.c_str());
  zlib.Release();
}

TEST(HostRegistryTest, PropertiesAndObjectsByKind) {
  HostRegistry registry;
  std::uint32_t flag = 7;
  EXPECT_EQ(registry.GetProperty("replix.dll\\RZX_PLAYING", &flag, 4), RESULT_FAIL);
  EXPECT_EQ(flag, 7u);
  registry.SetDword("replix.dll\\RZX_PLAYING", 1);
  EXPECT_EQ(registry.GetProperty("replix.dll\\RZX_PLAYING", &flag, 4), RESULT_OK);
  EXPECT_EQ(flag, 1u);

  HostDevice beeper("beeper.obj", nullptr);
  std::vector<std::pair<std::uint16_t, std::uint8_t>> writes;
  HostDevice display("vistor.obj", [&](std::uint16_t port, std::uint8_t value) { writes.emplace_back(port, value); });
  registry.AddObject(HOST_OBJECT_DEVICE, &beeper);
  registry.AddObject(2, &beeper);
  registry.AddObject(HOST_OBJECT_DEVICE, &display);
  std::uint32_t count = 0;
  registry.GetObjectCount(HOST_OBJECT_DEVICE, &count);
  EXPECT_EQ(count, 2u);
  IHostObject* object = nullptr;
  ASSERT_EQ(registry.GetObjectAt(HOST_OBJECT_DEVICE, 1, &object), RESULT_OK);
  const char* name = nullptr;
  object->GetName(&name);
  EXPECT_STREQ(name, "vistor.obj");
  EXPECT_EQ(object->WritePort(0xFE, 1), RESULT_OK);
  EXPECT_EQ(writes.size(), 1u);
  EXPECT_EQ(registry.GetObjectAt(HOST_OBJECT_DEVICE, 2, &object), RESULT_FAIL);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(display.References(), 1u);  // GetObjectAt adds no reference
}

TEST(SettingsStoreTest, IniFileKeepsDwordsAndStringsByKey) {
  const std::string path = TemporaryPath(".ini");
  SettingsStore saved;
  saved.SetDword("Plugins\\Reelbox", "FlashLoad", 0);
  saved.SetDword("Plugins\\Reelbox", "Left", 0xFFFFFFF6u);
  saved.SetString("Settings", "Last Folder", "/home/user/tapes=old");
  ASSERT_TRUE(saved.Save(path));
  SettingsStore loaded;
  ASSERT_TRUE(loaded.Load(path));
  std::uint32_t value = 1;
  EXPECT_TRUE(loaded.GetDword("Plugins\\Reelbox", "FlashLoad", &value));
  EXPECT_EQ(value, 0u);
  EXPECT_TRUE(loaded.GetDword("Plugins\\Reelbox", "Left", &value));
  EXPECT_EQ(value, 0xFFFFFFF6u);
  std::string text;
  EXPECT_TRUE(loaded.GetString("Settings", "Last Folder", &text));
  EXPECT_EQ(text, "/home/user/tapes=old");
  EXPECT_FALSE(loaded.GetDword("Settings", "Last Folder", &value));
  std::remove(path.c_str());
}

TEST(Sha256Test, KnownDigests) {
  const std::string abc = "abc";
  EXPECT_EQ(Sha256Hex(reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size()),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(Sha256Hex(reinterpret_cast<const std::uint8_t*>(two.data()), two.size()),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(nullptr, 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(BasicProgramTest, LinesAreStoredAsTheRomStoresThem) {
  std::vector<std::uint8_t> line;
  ASSERT_TRUE(TokeniseLine("10 PRINT AT 1,2;\"go to\": GO TO 10", &line));
  // Line number high byte first, length low byte first; numbers keep their
  // digits and add 0x0E and the five-byte form; quoted text stays as typed.
  const std::vector<std::uint8_t> expected = {
      0x00, 0x0A, 36,  0x00, 0xF5, 0xAC, '1', 0x0E, 0,   0,   1,    0,   0,   ',',  '2', 0x0E, 0,  0, 2, 0,
      0,    ';',  '"', 'g',  'o',  ' ',  't', 'o',  '"', ':', 0xEC, '1', '0', 0x0E, 0,   0,    10, 0, 0, 0x0D};
  EXPECT_EQ(line, expected);
  EXPECT_FALSE(TokeniseLine("PRINT 1", &line));
  EXPECT_FALSE(TokeniseLine("12345 PRINT 1", &line));

  std::vector<std::uint8_t> form;
  AppendNumberForm(0.5, &form);
  AppendNumberForm(-1.5, &form);
  AppendNumberForm(100000, &form);
  EXPECT_EQ(form, (std::vector<std::uint8_t>{0x80, 0x00, 0x00, 0x00, 0x00, 0x81, 0xC0, 0x00, 0x00, 0x00, 0x91, 0x43,
                                             0x50, 0x00, 0x00}));
}

TEST(TapImageTest, BlocksCarryLengthFlagAndChecksum) {
  TapImage tape;
  tape.AddCode("screen", {0x01, 0x02, 0x04}, 16384);
  const std::vector<std::uint8_t>& bytes = tape.Bytes();
  ASSERT_EQ(bytes.size(), 2u + 19 + 2 + 5);
  EXPECT_EQ(bytes[0], 19);
  EXPECT_EQ(bytes[2], 0x00);  // header flag
  EXPECT_EQ(bytes[3], 3);     // CODE
  EXPECT_EQ(bytes[4], 's');
  EXPECT_EQ(bytes[13], ' ');  // the name is padded to ten characters
  EXPECT_EQ(bytes[14] | bytes[15] << 8, 3);
  EXPECT_EQ(bytes[16] | bytes[17] << 8, 16384);
  std::uint8_t checksum = 0;
  for (int i = 2; i < 21; ++i) checksum ^= bytes[i];
  EXPECT_EQ(checksum, 0) << "flag, body and checksum XOR to zero";
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 21, bytes.end()),
            (std::vector<std::uint8_t>{5, 0, 0xFF, 1, 2, 4, 0xFF ^ 1 ^ 2 ^ 4}));
}

}  // namespace
}  // namespace reelbox::host

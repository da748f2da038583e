// Tape files made in memory for tests (TZX and TAP from tzx_builder.h, CSW, VOC
// and WAV here), a scratch folder to write them to, and the shared tapes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "contract/host_interfaces.h"
#include "tape/sampled_blocks.h"
#include "tape/tape_block_list.h"
#include "tzx_builder.h"
#if REELBOX_HOST_COMPRESSION
#include "host/compression_service.h"
#endif

namespace reelbox::test {

// A CSW version 1 file: 32-byte header, then the run-length bytes.
inline Bytes CswVersion1(std::uint16_t rate, std::uint8_t flags, const Bytes& pulses, std::uint8_t compression = 1) {
  Bytes bytes = Concat({TextOf("Compressed Square Wave\x1A"), {1, 1}});
  PutU16(bytes, rate);
  bytes.push_back(compression);
  bytes.push_back(flags);
  bytes.resize(32, 0);
  return Concat({bytes, pulses});
}

// A CSW version 2 header of 52 bytes plus extension; the (compressed) data follows.
inline Bytes CswVersion2Header(std::uint32_t rate, std::uint8_t compression, std::uint8_t major = 2,
                               const Bytes& extension = {}) {
  Bytes bytes = Concat({TextOf("Compressed Square Wave\x1A"), {major, 0}});
  PutU32(bytes, rate);
  PutU32(bytes, 0);  // pulse count, not examined
  Append(bytes, {compression, 0, static_cast<std::uint8_t>(extension.size())});
  bytes.resize(52, 0);
  return Concat({bytes, extension});
}

// A VOC file: header with the given check word, then the blocks.
inline Bytes Voc(std::initializer_list<Bytes> blocks, std::uint16_t checkWord = 0x1129) {
  Bytes bytes = TextOf("Creative Voice File\x1A");
  for (std::uint16_t word : {std::uint16_t{26}, std::uint16_t{0x010A}, checkWord}) PutU16(bytes, word);
  for (const Bytes& block : blocks) Append(bytes, block);
  return bytes;
}
// A VOC block of the given type and body.
inline Bytes VocBlock(std::uint8_t type, const Bytes& body) { return WithData({type}, body, 3); }
// A VOC sound block (type 1) with 8-bit unsigned samples.
inline Bytes VocSound(std::uint8_t timeConstant, const Bytes& samples, std::uint8_t codec = 0) {
  return VocBlock(1, Concat({{timeConstant, codec}, samples}));
}

// A VOC extended block (type 8): time constant, pack and mode.
inline Bytes VocExtended(std::uint16_t timeConstant, std::uint8_t pack = 0, std::uint8_t mode = 0) {
  return VocBlock(8,
                  {static_cast<std::uint8_t>(timeConstant), static_cast<std::uint8_t>(timeConstant >> 8), pack, mode});
}

// A RIFF chunk: id, size, data and the pad byte of an odd size.
inline Bytes RiffChunk(const char* id, const Bytes& data) {
  Bytes bytes = WithData(TextOf(id), data, 4);
  if (data.size() % 2 != 0) bytes.push_back(0);
  return bytes;
}
inline Bytes WaveFormatChunk(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  Bytes format;
  PutU16(format, tag);
  PutU16(format, channels);
  PutU32(format, rate);
  PutU32(format, rate * channels * bits / 8);
  PutU16(format, static_cast<std::uint16_t>(channels * bits / 8));
  PutU16(format, bits);
  return RiffChunk("fmt ", format);
}
// "RIFF" of form "WAVE" around the given chunks.
inline Bytes WaveFile(const Bytes& chunks) { return RiffChunk("RIFF", Concat({TextOf("WAVE"), chunks})); }

// The sampled pieces a reader put on the tape, in order.
inline std::vector<SampledPiece> PiecesOf(const TapeBlockList& list) {
  std::vector<SampledPiece> pieces;
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    SampledPiece piece;
    EXPECT_TRUE(DecodeSampledPiece(*list.GetBlock(i), &piece)) << "block " << i;
    pieces.push_back(piece);
  }
  return pieces;
}

// The reference host's zlib service, where the build has it (natively); else null.
inline std::shared_ptr<ICompressionService> HostCompression() {
#if REELBOX_HOST_COMPRESSION
  return {host::CreateCompressionService(), [](ICompressionService* service) { service->Release(); }};
#else
  return nullptr;
#endif
}

// A folder of its own under the system's temporary folder, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("reelbox-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  // Writes bytes to name (which may hold sub-folders) and returns the full path.
  std::string Write(const std::string& name, const Bytes& bytes) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) ADD_FAILURE() << "cannot write " << file.string();
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

// The folder of tapes made by other tools; tests that need it skip without it.
inline std::filesystem::path SharedTapes() { return std::filesystem::path(REELBOX_SHARED_TAPES); }

#define REELBOX_REQUIRE_SHARED_TAPES()                                                                   \
  do {                                                                                                   \
    if (!std::filesystem::is_directory(::reelbox::test::SharedTapes()))                                  \
      GTEST_SKIP() << "shared tapes folder " << ::reelbox::test::SharedTapes().string() << " is absent"; \
  } while (0)

}  // namespace reelbox::test

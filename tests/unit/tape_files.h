// Tape files for tests: the pieces a reader made, a scratch folder to write
// files to (built by tape_builder.h), and the shared tapes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "contract/host_interfaces.h"
#include "tape/sampled_blocks.h"
#include "tape/tape_block_list.h"
#include "tape_builder.h"
#if REELBOX_HOST_COMPRESSION
#include "host/compression_service.h"
#endif

namespace reelbox::test {

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
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

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

inline Bytes ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The folder of tapes made by other tools; tests that need it skip without it.
inline std::filesystem::path SharedTapes() { return std::filesystem::path(REELBOX_SHARED_TAPES); }

#define REELBOX_REQUIRE_SHARED_TAPES()                                                                   \
  do {                                                                                                   \
    if (!std::filesystem::is_directory(::reelbox::test::SharedTapes()))                                  \
      GTEST_SKIP() << "shared tapes folder " << ::reelbox::test::SharedTapes().string() << " is absent"; \
  } while (0)

}  // namespace reelbox::test

// Shared by the sampled-tape fuzz targets (and the WAV benchmark): the input as
// a file on disk, and a walk that plays every 0xF1 piece's samples through its
// sample source.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tape/sampled_blocks.h"
#include "tape/tape_block_list.h"

namespace reelbox::fuzz {

// Overwrites one file per process with the input and returns its path; in
// shared memory where there is some, since rewriting a file on disk for every
// input slows fuzzing down to a few hundred inputs a second.
inline const std::string& WriteInput(const std::uint8_t* data, std::size_t size, const char* extension) {
  static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/reelbox-fuzz-" +
                                  std::to_string(getpid()) + extension;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file != nullptr) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  return path;
}

// Opens and reads every sampled piece to its end, as the deck would.
inline void DrainPieces(const TapeBlockList& list) {
  std::vector<std::uint8_t> buffer(4096);
  for (std::int32_t i = 0; i < list.GetCount(); ++i) {
    const TapeBlock* block = list.GetBlock(i);
    SampledPiece piece;
    if (!DecodeSampledPiece(*block, &piece)) continue;
    if (Failed(piece.sampleSource(SAMPLE_SOURCE_OPEN, block->data, nullptr, nullptr))) continue;
    for (int reads = 0; reads < 1 << 16; ++reads) {
      std::uint32_t count = static_cast<std::uint32_t>(buffer.size());
      if (piece.sampleSource(SAMPLE_SOURCE_READ, block->data, buffer.data(), &count) != RESULT_OK) break;
    }
  }
}

}  // namespace reelbox::fuzz

// Sampled recordings from a 20 MB WAV file (8-bit mono at 44100 Hz, almost
// eight minutes): opening it, and pulling every piece's samples through the
// sample source as the deck does while it plays.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tape/sampled_blocks.h"
#include "tape/wav_reader.h"

namespace reelbox {
namespace {

constexpr std::uint32_t RATE = 44100;
constexpr std::uint32_t SAMPLE_BYTES = 20u << 20;

void PutU32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

// The file, written once per run and removed at its end.
struct WavFile {
  WavFile() : path("/tmp/reelbox-bench-" + std::to_string(getpid()) + ".wav") {
    std::string header = "RIFF";
    PutU32(header, 36 + SAMPLE_BYTES);
    header += "WAVEfmt ";
    PutU32(header, 16);
    header += std::string("\x01\x00\x01\x00", 4);
    PutU32(header, RATE);
    PutU32(header, RATE);
    header += std::string("\x01\x00\x08\x00", 4);
    header += "data";
    PutU32(header, SAMPLE_BYTES);
    std::vector<char> samples(SAMPLE_BYTES);
    std::mt19937 random(3);
    for (std::size_t i = 0; i < samples.size(); i += 10 + random() % 10) {
      samples[i] = static_cast<char>(random() & 1 ? 0xC0 : 0x40);
    }
    std::ofstream out(path, std::ios::binary);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(samples.data(), static_cast<std::streamsize>(samples.size()));
  }
  ~WavFile() { std::remove(path.c_str()); }
  std::string path;
};

const WavFile& File() {
  static const WavFile file;
  return file;
}

void WavOpen(benchmark::State& state) {
  for (auto _ : state) {
    TapeBlockList list;
    if (Failed(ReadWavFile(list, File().path.c_str()))) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(list.GetCount());
  }
}
BENCHMARK(WavOpen)->Unit(benchmark::kMillisecond);

// Every piece opened and read in the deck's 4096-sample buffers.
void WavPlaySamples(benchmark::State& state) {
  TapeBlockList list;
  if (Failed(ReadWavFile(list, File().path.c_str()))) state.SkipWithError("read failed");
  std::vector<std::uint8_t> buffer(4096);
  for (auto _ : state) {
    for (std::int32_t i = 0; i < list.GetCount(); ++i) {
      const TapeBlock* block = list.GetBlock(i);
      SampledPiece piece;
      if (!DecodeSampledPiece(*block, &piece)) continue;
      piece.sampleSource(SAMPLE_SOURCE_OPEN, block->data, nullptr, nullptr);
      for (;;) {
        std::uint32_t count = static_cast<std::uint32_t>(buffer.size());
        if (piece.sampleSource(SAMPLE_SOURCE_READ, block->data, buffer.data(), &count) != RESULT_OK) break;
      }
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * SAMPLE_BYTES);
}
BENCHMARK(WavPlaySamples)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace reelbox

// Opening tape files: a TZX of ordinary size against a 10 MB one (and the heap
// each block costs beyond the file), a 20 MB CSW version 1 read in place against
// a version 2 inflated through the host's service and cut (and the cut alone),
// and a 20 MB WAV opened and played through its sample source.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "fuzz/sampled_fuzz_input.h"
#include "host/compression_service.h"
#include "tape/csw_reader.h"
#include "tape/tzx_reader.h"
#include "tape/wav_reader.h"
#include "tests/unit/tape_builder.h"

namespace reelbox::test {
namespace {

// A file in the temporary folder, written once per run and removed at its end.
struct TempFile {
  TempFile(const std::string& name, const Bytes& bytes)
      : path((std::filesystem::temp_directory_path() / ("reelbox-bench-" + std::to_string(getpid()) + name)).string()),
        size(bytes.size()) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() { std::remove(path.c_str()); }
  std::string path;
  std::size_t size;
};

// A mix of standard, turbo, tone, pulse and text blocks with short data.
Bytes MixedTzx(std::size_t size) {
  std::mt19937 random(47);
  const auto data = [&random] {
    Bytes bytes(16 + random() % 48);
    for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
  };
  Bytes tape = TzxHeader();
  while (tape.size() < size) {
    const auto count = static_cast<std::uint16_t>(1 + random() % 4000);
    switch (random() % 5) {
      case 0:
        Append(tape, StandardBlock(0, data()));
        break;
      case 1:
        Append(tape, TurboBlock({}, 8, 0, data()));
        break;
      case 2:
        Append(tape, PureTone(2168, count));
        break;
      case 3:
        Append(tape, PulseSequence(std::vector<std::uint16_t>(1 + count % 4, 600 + count % 400)));
        break;
      default:
        Append(tape, TextDescription(std::string(4 + count % 20, static_cast<char>('a' + count % 26))));
    }
  }
  return tape;
}

// Pulses at 44100 Hz as a ROM-speed recording gives them: pilot tones of
// 27-sample pulses, then data bits of 10 or 19 samples per pulse with a
// little jitter, and a one-second pause between blocks.
Bytes TapeLikePulses(std::size_t size) {
  std::mt19937 random(7);
  Bytes pulses;
  pulses.reserve(size + 16);
  while (pulses.size() < size) {
    for (int i = 0; i < 8064 && pulses.size() < size; ++i) pulses.push_back(27);
    for (int bit = 0; bit < 8 * 6912 && pulses.size() + 1 < size; ++bit) {
      const std::uint8_t length = (random() & 1) ? 19 : 10;
      const auto pulse = static_cast<std::uint8_t>(length + random() % 3);
      pulses.insert(pulses.end(), {pulse, pulse});
    }
    if (pulses.size() + 5 > size) break;
    Append(pulses, {0, 0x44, 0xAC, 0, 0});
  }
  return pulses;
}

// Version 1 of 20 MB; version 2 of about 20 MB holds five times as many pulses
// (tape signals deflate about 5:1).
const TempFile& CswVersion1File() {
  static const TempFile file("-v1.csw", CswVersion1(44100, 0, TapeLikePulses(20u << 20)));
  return file;
}
const TempFile& CswVersion2File() {
  static const TempFile file("-v2.csw", [] {
    ICompressionService* service = host::CreateCompressionService();
    const Bytes file = Concat({CswVersion2Header(44100, 2), Deflate(*service, TapeLikePulses(106u << 20))});
    service->Release();
    return file;
  }());
  return file;
}

// 8-bit mono at 44100 Hz, almost eight minutes.
const TempFile& WavFile() {
  static const TempFile file(".wav", [] {
    Bytes samples(20u << 20);
    std::mt19937 random(3);
    for (std::size_t i = 0; i < samples.size(); i += 10 + random() % 10) samples[i] = random() & 1 ? 0xC0 : 0x40;
    return WaveFile(Concat({WaveFormatChunk(1, 1, 44100, 8), RiffChunk("data", samples)}));
  }());
  return file;
}

// Heap in use, small blocks and mapped large ones alike.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Resident memory in bytes, from the kernel's page counts.
long ResidentBytes() {
  long pages = 0, resident = 0;
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return 0;
  if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(statm);
  return resident * sysconf(_SC_PAGESIZE);
}

// 48 KB, a game or two, and 10 MB.
const TempFile& TzxFile(bool large) {
  static const TempFile ordinary("-48KB.tzx", MixedTzx(48u << 10));
  if (!large) return ordinary;
  static const TempFile tenMegabytes("-10MB.tzx", MixedTzx(10u << 20));
  return tenMegabytes;
}

void TzxOpen(benchmark::State& state, bool large) {
  const TempFile& file = TzxFile(large);
  for (auto _ : state) {
    TapeBlockList list;
    if (Failed(ReadTzxFile(list, file.path.c_str()))) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(list.GetBlock(list.GetCount() - 1));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size));
  TapeBlockList list;
  const std::size_t before = HeapInUse();
  ReadTzxFile(list, file.path.c_str());
  state.counters["blocks"] = list.GetCount();
  state.counters["heap_bytes_per_block"] = static_cast<double>(HeapInUse() - before) / list.GetCount();
  state.counters["record_bytes"] = sizeof(TapeBlock);
}
BENCHMARK_CAPTURE(TzxOpen, ordinary_48KB, false)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(TzxOpen, large_10MB, true)->Unit(benchmark::kMillisecond)->UseRealTime();

// Version 2 through the host's zlib service; version 1 without one.
void CswOpenAndCut(benchmark::State& state, int version) {
  const TempFile& file = version == 1 ? CswVersion1File() : CswVersion2File();
  ICompressionService* service = version == 1 ? nullptr : host::CreateCompressionService();
  TapeBlockList list;
  long growth = 0;
  for (auto _ : state) {
    list.Clear();
    const long before = ResidentBytes();
    if (Failed(ReadCswFile(list, file.path.c_str(), service))) state.SkipWithError("read failed");
    growth = ResidentBytes() - before;
  }
  if (service != nullptr) service->Release();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size));
  state.counters["file_MB"] = static_cast<double>(file.size) / (1 << 20);
  state.counters["pieces"] = list.GetCount();
  state.counters["view_MB"] = list.MappedView() ? static_cast<double>(list.MappedView()->Size()) / (1 << 20) : 0;
  state.counters["resident_growth_MB"] = static_cast<double>(growth) / (1 << 20);
}
BENCHMARK_CAPTURE(CswOpenAndCut, version1_mapped, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CswOpenAndCut, version2_inflated, 2)->Unit(benchmark::kMillisecond);

void CswCutInMemory(benchmark::State& state) {
  const Bytes pulses = TapeLikePulses(20u << 20);
  TapeBlockList list;
  for (auto _ : state) {
    if (Failed(CutCswPieces(list, pulses.data(), pulses.size(), 44100, 0))) state.SkipWithError("cut failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pulses.size()));
  state.counters["pieces"] = list.GetCount();
}
BENCHMARK(CswCutInMemory)->Unit(benchmark::kMillisecond);

void WavOpen(benchmark::State& state) {
  for (auto _ : state) {
    TapeBlockList list;
    if (Failed(ReadWavFile(list, WavFile().path.c_str()))) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(list.GetCount());
  }
}
BENCHMARK(WavOpen)->Unit(benchmark::kMillisecond);

// Every piece opened and read in the deck's 4096-sample buffers.
void WavPlaySamples(benchmark::State& state) {
  TapeBlockList list;
  if (Failed(ReadWavFile(list, WavFile().path.c_str()))) state.SkipWithError("read failed");
  for (auto _ : state) fuzz::DrainPieces(list);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (WavFile().size - 44)));
}
BENCHMARK(WavPlaySamples)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace reelbox::test

// Reading CSW files: inflating a version 2 file through the host's service
// into a memory section and cutting it into pieces, against reading the same
// pulses in place from a version 1 file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "host/compression_service.h"
#include "tape/csw_reader.h"

namespace reelbox {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Version 1 file of 20 MB; the version 2 file of about 20 MB holds five times
// as many pulses (tape signals deflate about 5:1).
constexpr std::size_t V1_PULSE_BYTES = 20u << 20;
constexpr std::size_t V2_PULSE_BYTES = 106u << 20;

// Pulses at 44100 Hz as a ROM-speed recording gives them: pilot tones of
// 27-sample pulses, then data bits of 10 or 19 samples per pulse with a
// little jitter, and a long pause between blocks.
Bytes TapeLikePulses(std::size_t size) {
  std::mt19937 random(7);
  Bytes pulses;
  pulses.reserve(size + 16);
  while (pulses.size() < size) {
    for (int i = 0; i < 8064 && pulses.size() < size; ++i) pulses.push_back(27);
    for (int bit = 0; bit < 8 * 6912 && pulses.size() + 1 < size; ++bit) {
      const std::uint8_t length = (random() & 1) ? 19 : 10;
      const std::uint8_t jitter = static_cast<std::uint8_t>(random() % 3);
      pulses.push_back(length + jitter);
      pulses.push_back(length + jitter);
    }
    if (pulses.size() + 5 > size) break;
    const std::uint8_t pause[] = {0, 0x44, 0xAC, 0, 0};  // one second
    pulses.insert(pulses.end(), pause, pause + 5);
  }
  return pulses;
}

Bytes Header(std::uint8_t major) {
  const char signature[] = "Compressed Square Wave\x1A";
  Bytes header(signature, signature + 23);
  header.push_back(major);
  header.push_back(0);
  if (major == 1) {
    const std::uint8_t rest[] = {0x44, 0xAC, 1, 0, 0, 0, 0};
    header.insert(header.end(), rest, rest + sizeof rest);
    return header;
  }
  const std::uint8_t rest[] = {0x44, 0xAC, 0, 0, 0, 0, 0, 0, 2, 0, 0};
  header.insert(header.end(), rest, rest + sizeof rest);
  header.resize(52, 0);
  return header;
}

std::string WriteFile(const std::string& name, const Bytes& header, const Bytes& body) {
  const std::string path = "/tmp/reelbox-bench-" + std::to_string(getpid()) + "-" + name;
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  file.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
  return path;
}

// The test files, made once per run and removed at its end.
struct Files {
  Files() {
    ICompressionService* service = host::CreateCompressionService();
    const Bytes pulses = TapeLikePulses(V2_PULSE_BYTES);
    Bytes compressed(pulses.size() + pulses.size() / 100 + 64);
    auto size = static_cast<std::uint32_t>(compressed.size());
    service->Compress(pulses.data(), static_cast<std::uint32_t>(pulses.size()), compressed.data(), &size);
    compressed.resize(size);
    service->Release();
    version2 = WriteFile("v2.csw", Header(2), compressed);
    version2Bytes = 52 + compressed.size();
    version1 = WriteFile("v1.csw", Header(1), TapeLikePulses(V1_PULSE_BYTES));
    version1Bytes = 32 + V1_PULSE_BYTES;
  }
  ~Files() {
    std::remove(version1.c_str());
    std::remove(version2.c_str());
  }
  std::string version1, version2;
  std::size_t version1Bytes = 0, version2Bytes = 0;
};

const Files& TestFiles() {
  static const Files files;
  return files;
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

void Report(benchmark::State& state, const TapeBlockList& list, std::size_t fileBytes, long residentGrowth) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fileBytes));
  state.counters["file_MB"] = static_cast<double>(fileBytes) / (1 << 20);
  state.counters["pieces"] = list.GetCount();
  state.counters["view_MB"] = list.MappedView() ? static_cast<double>(list.MappedView()->Size()) / (1 << 20) : 0;
  state.counters["resident_growth_MB"] = static_cast<double>(residentGrowth) / (1 << 20);
}

void InflateAndCutVersion2(benchmark::State& state) {
  const Files& files = TestFiles();
  ICompressionService* service = host::CreateCompressionService();
  TapeBlockList list;
  long growth = 0;
  for (auto _ : state) {
    list.Clear();
    const long before = ResidentBytes();
    if (Failed(ReadCswFile(list, files.version2.c_str(), service))) state.SkipWithError("read failed");
    growth = ResidentBytes() - before;
  }
  Report(state, list, files.version2Bytes, growth);
  service->Release();
}
BENCHMARK(InflateAndCutVersion2)->Unit(benchmark::kMillisecond);

void MapAndCutVersion1(benchmark::State& state) {
  const Files& files = TestFiles();
  TapeBlockList list;
  long growth = 0;
  for (auto _ : state) {
    list.Clear();
    const long before = ResidentBytes();
    if (Failed(ReadCswFile(list, files.version1.c_str(), nullptr))) state.SkipWithError("read failed");
    growth = ResidentBytes() - before;
  }
  Report(state, list, files.version1Bytes, growth);
}
BENCHMARK(MapAndCutVersion1)->Unit(benchmark::kMillisecond);

void CutInMemory(benchmark::State& state) {
  const Bytes pulses = TapeLikePulses(V1_PULSE_BYTES);
  TapeBlockList list;
  for (auto _ : state) {
    if (Failed(CutCswPieces(list, pulses.data(), pulses.size(), 44100, 0))) state.SkipWithError("cut failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * pulses.size()));
  state.counters["pieces"] = list.GetCount();
}
BENCHMARK(CutInMemory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace reelbox

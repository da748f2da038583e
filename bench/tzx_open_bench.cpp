// Opening a large TZX file: throughput, and the heap each block costs beyond
// the mapped file (its record and its index entry).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tape/file_view.h"
#include "tape/tzx_reader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutData(Bytes& out, std::size_t count, std::mt19937& random) {
  for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(random()));
}

// One block of a mix of standard, turbo, tone, pulse and text blocks.
void PutBlock(Bytes& out, std::mt19937& random) {
  const std::size_t dataLength = 16 + random() % 48;
  switch (random() % 5) {
    case 0:
      out.push_back(0x10);
      PutU16(out, 0);
      PutU16(out, static_cast<std::uint32_t>(dataLength));
      PutData(out, dataLength, random);
      break;
    case 1:
      out.push_back(0x11);
      for (std::uint32_t value : {2168u, 667u, 735u, 855u, 1710u, 2u}) PutU16(out, value);
      out.push_back(8);
      PutU16(out, 0);
      PutU16(out, static_cast<std::uint32_t>(dataLength));
      out.push_back(0);
      PutData(out, dataLength, random);
      break;
    case 2:
      out.push_back(0x12);
      PutU16(out, 2168);
      PutU16(out, 1 + random() % 4000);
      break;
    case 3: {
      const std::uint8_t pulses = static_cast<std::uint8_t>(1 + random() % 4);
      out.push_back(0x13);
      out.push_back(pulses);
      for (std::uint8_t i = 0; i < pulses; ++i) PutU16(out, 600 + random() % 400);
      break;
    }
    default: {
      const std::uint8_t length = static_cast<std::uint8_t>(4 + random() % 20);
      out.push_back(0x30);
      out.push_back(length);
      for (std::uint8_t i = 0; i < length; ++i) out.push_back(static_cast<std::uint8_t>('a' + random() % 26));
      break;
    }
  }
}

// A tape of about targetSize bytes written once to the temporary folder and
// removed at exit.
class LargeTape {
 public:
  explicit LargeTape(std::size_t targetSize)
      : path_(std::filesystem::temp_directory_path() / ("reelbox-bench-" + std::to_string(targetSize) + ".tzx")) {
    Bytes bytes = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A, 1, 20};
    bytes.reserve(targetSize + 256);
    std::mt19937 random(47);
    while (bytes.size() < targetSize) PutBlock(bytes, random);
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    size_ = bytes.size();
  }
  ~LargeTape() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

  std::string Path() const { return path_.string(); }
  std::size_t Size() const { return size_; }

 private:
  std::filesystem::path path_;
  std::size_t size_ = 0;
};

// 10 MB, and 48 KB: a tape of ordinary size, a game or two.
const LargeTape& Tape() {
  static const LargeTape tape(10 * 1024 * 1024);
  return tape;
}
const LargeTape& OrdinaryTape() {
  static const LargeTape tape(48 * 1024);
  return tape;
}

// Heap in use, small blocks and mapped large ones alike.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void TzxOpenTape(benchmark::State& state, const LargeTape& tape) {
  std::int32_t blocks = 0;
  for (auto _ : state) {
    reelbox::TapeBlockList list;
    if (reelbox::ReadTzxFile(list, tape.Path().c_str()) != reelbox::RESULT_OK) state.SkipWithError("read failed");
    blocks = list.GetCount();
    benchmark::DoNotOptimize(list.GetBlock(blocks - 1));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tape.Size()));
  state.counters["blocks"] = blocks;
}
void TzxOpen(benchmark::State& state) { TzxOpenTape(state, Tape()); }
BENCHMARK(TzxOpen)->Unit(benchmark::kMillisecond)->UseRealTime();
void TzxOpenOrdinary(benchmark::State& state) { TzxOpenTape(state, OrdinaryTape()); }
BENCHMARK(TzxOpenOrdinary)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same open over a plain shared mapping of the file, which a file cut
// short under it can fault: the yardstick for what the private copy costs.
void TzxOpenOrdinaryMapped(benchmark::State& state) {
  const LargeTape& tape = OrdinaryTape();
  for (auto _ : state) {
    reelbox::TapeBlockList list;
    std::uint64_t size = 0;
    std::unique_ptr<reelbox::platform::MappedView> view;
    if (reelbox::MapWholeFile(tape.Path().c_str(), &size, &view) != reelbox::RESULT_OK ||
        reelbox::ParseTzx(list, view->Data() + 10, view->Size() - 10) != reelbox::RESULT_OK) {
      state.SkipWithError("read failed");
    }
    list.SetMappedView(std::move(view));
    benchmark::DoNotOptimize(list.GetBlock(list.GetCount() - 1));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tape.Size()));
}
BENCHMARK(TzxOpenOrdinaryMapped)->Unit(benchmark::kMicrosecond)->UseRealTime();

void TzxMemoryPerBlock(benchmark::State& state) {
  const LargeTape& tape = Tape();
  double perBlock = 0;
  for (auto _ : state) {
    reelbox::TapeBlockList list;
    const std::size_t before = HeapInUse();
    if (reelbox::ReadTzxFile(list, tape.Path().c_str()) != reelbox::RESULT_OK) state.SkipWithError("read failed");
    perBlock = static_cast<double>(HeapInUse() - before) / list.GetCount();
  }
  state.counters["heap_bytes_per_block"] = perBlock;
  state.counters["record_bytes"] = sizeof(reelbox::TapeBlock);
}
BENCHMARK(TzxMemoryPerBlock)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

// The reference host loading a tape at full speed: emulated seconds per wall
// second, and the share of the wall time spent inside the plug-in's calls.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "host/load_session.h"
#include "host/reference_host.h"
#include "host/tap_image.h"

namespace reelbox::host {
namespace {

// The shared ROM-loaded screen tape when it is there, else the demonstration tape.
std::string BenchTape(bool* temporary) {
  const std::string shared = std::string(REELBOX_SHARED_TAPES) + "/rom-loaded/rustzx-simple_tape.tap";
  *temporary = !std::ifstream(shared).good();
  if (!*temporary) return shared;
  char path[] = "/tmp/reelbox-bench-XXXXXX.tap";
  const int fd = mkstemps(path, 4);
  if (fd >= 0) close(fd);
  DemoTape().Save(path);
  return path;
}

// played: the deck plays every edge to the ROM loader (the input recorder's
// recording rules out the short cuts); otherwise the blocks are flash-loaded.
void LoadTape(benchmark::State& state, bool played, bool profile) {
  bool temporary = false;
  const std::string tape = BenchTape(&temporary);
  double emulated = 0;
  double wall = 0;
  double plugin = 0;
  for (auto _ : state) {
    HostOptions options;
    options.pluginPath = REELBOX_PLUGIN_PATH;
    options.profile = profile;
    ReferenceHost host(options);
    if (played) {
      host.Registry().SetDword("replix.dll\\RZX_PLAYING", 0);
      host.Registry().SetDword("replix.dll\\RZX_RECORDING", 1);
    }
    if (Failed(host.Start())) {
      state.SkipWithError(host.Error().c_str());
      break;
    }
    LoadOptions load;
    load.tapePath = tape;
    const LoadReport report = RunLoad(host, load);
    emulated += report.emulatedSeconds;
    wall += report.wallSeconds - host.Machine().Timer().ClockCostSeconds();
    plugin += report.pluginSeconds;
  }
  if (temporary) std::remove(tape.c_str());
  state.counters["emulated_s"] = emulated / static_cast<double>(state.iterations());
  state.counters["emulated_per_wall"] = wall > 0 ? emulated / wall : 0;
  if (profile) state.counters["plugin_share_pct"] = wall > 0 ? 100.0 * plugin / wall : 0;
}

void BM_PlayedLoad(benchmark::State& state) { LoadTape(state, true, false); }
void BM_PlayedLoadTimingPlugin(benchmark::State& state) { LoadTape(state, true, true); }
void BM_FlashLoad(benchmark::State& state) { LoadTape(state, false, false); }
void BM_FlashLoadTimingPlugin(benchmark::State& state) { LoadTape(state, false, true); }

BENCHMARK(BM_PlayedLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlayedLoadTimingPlugin)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FlashLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FlashLoadTimingPlugin)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace reelbox::host

// Loading each shared tape that holds a program on the reference host, with
// every fast-loading option on and with all off: emulated seconds of tape
// (from the deck's start to its stop) and of the whole session (boot, typing
// LOAD "", loading, two settling seconds), and wall seconds of the session.
// ROM-loaded tapes start by auto play; the 47loader tapes, whose sampling
// loop auto play / stop does not recognise, with auto play off and Play.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "host/load_session.h"
#include "tests/host/in_process_plugin.h"

namespace reelbox::host {
namespace {

struct TapeCase {
  const char* file;  // under the shared tapes folder
  bool pressPlay;
};

constexpr TapeCase TAPES[] = {
    {"rom-loaded/rustzx-simple_tape.tap", false},
    {"rom-loaded/z80test-z80full.tap", false},
    {"47loader/simple-demo.tzx", true},
    {"47loader/reverse-demo.tzx", true},
    {"47loader/rle-demo.tzx", true},
    {"47loader/linear-demo.tzx", true},
    {"47loader/bidi-demo.tzx", true},
    {"47loader/squares-demo.tzx", true},
    {"47loader/countdown-demo.tzx", true},
};

void SetOption(ReferenceHost& host, const char* name, std::uint32_t value) {
  host.Settings().SetDword("Plugins\\Reelbox", name, value);
}

void LoadTape(benchmark::State& state, const TapeCase& tape, bool fast) {
  const std::string path = std::string(REELBOX_SHARED_TAPES) + "/" + tape.file;
  if (!std::ifstream(path)) {
    state.SkipWithError(("no " + path).c_str());
    return;
  }
  LoadReport report;
  for (auto _ : state) {
    ReferenceHost host(InProcessPluginOptions());
    for (const char* option : {"Fast Load", "FlashLoad", "Edge Detection"}) SetOption(host, option, fast ? 1 : 0);
    if (tape.pressPlay) SetOption(host, "AutoPlay", 0);
    if (Failed(host.Start())) {
      state.SkipWithError(host.Error().c_str());
      return;
    }
    LoadOptions load;
    load.tapePath = path;
    load.untilTapeEnd = true;
    report = RunLoad(host, load);
    state.SetIterationTime(report.wallSeconds);
  }
  state.counters["tape_s"] = report.tapeSeconds;
  state.counters["session_s"] = report.emulatedSeconds;
  state.counters["wall_s"] = report.wallSeconds;
  state.SetLabel(report.exitReason);
}

const bool registered = [] {
  for (const TapeCase& tape : TAPES) {
    for (bool fast : {true, false}) {
      const std::string name = std::string("FastLoading/") + tape.file + (fast ? "/all_on" : "/all_off");
      benchmark::RegisterBenchmark(name.c_str(), [tape, fast](benchmark::State& state) { LoadTape(state, tape, fast); })
          ->Iterations(1)
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
  return true;
}();

}  // namespace
}  // namespace reelbox::host

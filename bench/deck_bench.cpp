// The deck's cost on the emulation thread: one port read while a data block
// plays, and edges produced per second when frames run with no CPU reading.
// The deck runs in the tests' harness: the plug-in on a scripted machine whose
// PC sits in a loader's sampling loop, so the deck never stops itself.
#include <benchmark/benchmark.h>

#include "tests/unit/deck_harness.h"

namespace reelbox::test {
namespace {

// Back to the block's data phase (its tone skipped), playing from here.
void PlayData(DeckHarness& harness) {
  harness.Deck().GoToBlock(0);
  harness.Deck().Play();
  while (harness.Deck().phase < 3) harness.Deck().AdvancePhase();
}

// A standard speed block of 48 KB of mixed bits (about 17,000 frames).
Bytes LongDataBlock() { return StandardBlock(1000, RomData(0xFF, Bytes(49150, 0x5A))); }

// A loader samples the port about every 60 T-states.
void ReadPortDuringData(benchmark::State& state, bool fastLoading) {
  DeckHarness harness;
  harness.Load({LongDataBlock()});
  harness.Deck().SetFastLoading(fastLoading);
  harness.Deck().edgeDetection = fastLoading;
  PlayData(harness);
  for (auto _ : state) {
    harness.machine.clock += 60;
    if (harness.machine.clock >= harness.machine.frameLength) {
      harness.NextFrame();
      if (harness.Deck().state != DECK_PLAYING) PlayData(harness);
    }
    benchmark::DoNotOptimize(harness.ReadEar());
  }
}
BENCHMARK_CAPTURE(ReadPortDuringData, fast_loading, true);
BENCHMARK_CAPTURE(ReadPortDuringData, plain_loading, false);

// Whole frames, the edges caught up at each frame's end; items are edges.
void EdgesFrameByFrame(benchmark::State& state, const Bytes& block) {
  DeckHarness harness;
  harness.Load({block});
  PlayData(harness);
  std::int64_t edges = 0;
  for (auto _ : state) {
    harness.machine.clock = harness.machine.frameLength;
    harness.Device().EndFrame(0, 0);
    edges += harness.Deck().edgeCount;
    harness.BeginFrame();
    if (harness.Deck().state != DECK_PLAYING) PlayData(harness);
  }
  state.SetItemsProcessed(edges);
}
// Dense turbo data: no pilot, syncs of 100, bits of 20 and 40 T-states.
BENCHMARK_CAPTURE(EdgesFrameByFrame, standard_data, LongDataBlock());
BENCHMARK_CAPTURE(EdgesFrameByFrame, dense_turbo_data,
                  TurboBlock({100, 100, 100, 20, 40, 0}, 8, 0, Bytes(0xC000, 0x5A)));

}  // namespace
}  // namespace reelbox::test

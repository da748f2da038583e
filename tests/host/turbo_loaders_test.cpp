// Turbo loaders on the reference host. The Z80 test loaders each load a
// ROM-timed turbo block with the fast-loading options off, with each of them,
// and with all; the bytes arrive whole every time and the short cuts save
// emulated time. The 47loader demonstration tapes (a ROM-loaded BASIC part,
// then turbo blocks read by 47loader's own sampling loop) load to the same RAM
// with every option on and with all off. Auto play / stop does not know
// 47loader's loop (IN A,(0xFE); ADD A,A; JP M) and would stop it in its first
// frame of data: those runs switch it off and press Play with F7, as a user
// does.
#include <algorithm>

#include "host/load_session.h"
#include "host_fixture.h"
#include "in_process_plugin.h"
#include "loaders/assembled_loader.h"

namespace reelbox::host {
namespace {

using test::AssembledLoader;
using test::LOADER_ORIGIN;
using test::ReadAssembledLoader;

constexpr std::uint16_t DESTINATION = 0xC000;
constexpr std::uint16_t STACK = 0x7F00;
constexpr std::uint8_t FLAG = 0xFF;
constexpr std::size_t DATA_BYTES = 400;

Bytes TestData() {
  Bytes data(DATA_BYTES);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 37 + (i >> 3));
  return data;
}

// A TZX file of one turbo block (0x11) with the ROM's timings and 3220 pilot
// pulses, 8 bits used in the last byte and a pause of 1000 ms.
Bytes RomTimedTurboTape(const Bytes& data) {
  test::TurboTimings rom;
  rom.pilotPulses = 3220;
  return test::Concat({test::TzxHeader(), test::TurboBlock(rom, 8, 1000, test::RomData(FLAG, data))});
}

struct LoaderRun {
  bool finished = false;
  std::uint8_t result = 0;
  Bytes loaded;
  double leaderSeconds = 0;  // from the loader's start to the end of the sync
  double dataSeconds = 0;    // from there to the loader's end
  double TotalSeconds() const { return leaderSeconds + dataSeconds; }
};

// Boots, puts the loader in memory with its request, starts it at its
// origin with interrupts about to be disabled, and runs until it reaches
// `done` (auto play starts the tape when the loader first samples it).
LoaderRun RunLoader(const AssembledLoader& loader, const FastOptions& options) {
  const ScratchFolder folder;
  ReferenceHost host(TestHostOptions());
  ApplyOptions(host, options);
  LoaderRun run;
  if (Failed(host.Start()) || !host.Attached()) return run;
  host.RunFrames(100);
  if (Failed(host.OpenTape(folder.Write("turbo.tzx", RomTimedTurboTape(TestData()))))) return run;

  Spectrum& cpu = host.Cpu();
  for (std::size_t i = 0; i < loader.code.size(); ++i) {
    cpu.Poke(static_cast<std::uint16_t>(LOADER_ORIGIN + i), loader.code[i]);
  }
  cpu.Poke(loader.Label("dest"), DESTINATION & 0xFF);
  cpu.Poke(loader.Label("dest") + 1, DESTINATION >> 8);
  cpu.Poke(loader.Label("length"), DATA_BYTES & 0xFF);
  cpu.Poke(loader.Label("length") + 1, DATA_BYTES >> 8);
  cpu.Poke(loader.Label("flag"), FLAG);
  cpu.SetRegister(regSP, STACK);
  cpu.SetRegister(regPC, LOADER_ORIGIN);
  const std::uint64_t start = Now(host);
  ArrivalLog synced(host, loader.Label("ld_synced"));
  ArrivalLog done(host, loader.Label("done"));
  for (int frame = 0; frame < 50 * 30 && done.arrivals.empty(); ++frame) host.RunFrame();

  run.finished = !done.arrivals.empty() && !synced.arrivals.empty();
  if (!run.finished) return run;
  run.result = cpu.Peek(loader.Label("result"));
  run.loaded = MemoryAt(host, DESTINATION, DATA_BYTES);
  run.leaderSeconds = Seconds(synced.arrivals.back().time - start);
  run.dataSeconds = Seconds(done.arrivals.front().time - synced.arrivals.back().time);
  return run;
}

class TestLoaderOnHost : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    REQUIRE_ROM();
    if (!ReadAssembledLoader(GetParam(), &loader)) {
      GTEST_SKIP() << "no assembled test loaders: z80asm was not found when "
                      "the build was configured";
    }
  }

  AssembledLoader loader;
};

TEST_P(TestLoaderOnHost, LoadsItsBlockWithEveryOptionAndFasterWithThem) {
  const FastOptions all[] = {ALL_OFF, EDGE_DETECTION_ONLY, FLASH_LOADING_ONLY, ALL_ON};
  LoaderRun runs[4];
  for (int i = 0; i < 4; ++i) {
    runs[i] = RunLoader(loader, all[i]);
    ASSERT_TRUE(runs[i].finished) << all[i].name;
    EXPECT_EQ(1, runs[i].result) << all[i].name;
    EXPECT_EQ(TestData(), runs[i].loaded) << all[i].name;
    std::printf("%-22s %-15s leader %.3f s, data %.3f s, total %.3f s\n", GetParam(), all[i].name,
                runs[i].leaderSeconds, runs[i].dataSeconds, runs[i].TotalSeconds());
  }
  const LoaderRun& off = runs[0];
  // Edge detection shortens the data; pilot skip the leader, byte flash
  // loading the data.
  EXPECT_LT(runs[1].dataSeconds, 0.8 * off.dataSeconds);
  EXPECT_LT(runs[2].leaderSeconds, 0.8 * off.leaderSeconds);
  EXPECT_LT(runs[2].dataSeconds, 0.2 * off.dataSeconds);
  EXPECT_LT(runs[3].TotalSeconds(), 0.5 * off.TotalSeconds());
}

INSTANTIATE_TEST_SUITE_P(Loaders, TestLoaderOnHost,
                         ::testing::Values("loader_leader_inc_h", "loader_leader_dec_h", "loader_leader_no_test",
                                           "loader_leader_delay_a", "loader_edge_compare", "loader_edge_delay_a"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// ---- 47loader ----

constexpr std::uint16_t SYSVAR_SEED = 0x5C76;    // 2 bytes; RANDOMIZE USR puts the routine's BC there
constexpr std::uint16_t SYSVAR_FRAMES = 0x5C78;  // 3 bytes
constexpr std::uint16_t SYSVAR_UDG = 0x5C7B;
constexpr std::size_t STACK_SCRATCH = 128;

struct DemoRun {
  bool loaded = false;
  double tapeSeconds = 0;
  Bytes ram;
  std::size_t sp = 0;

  // What differs between two good loads by timing alone: the frame counter,
  // the seed (the loader's last timing count returns in BC), and free stack
  // space below the stack and below the UDGs, where it lived before the
  // loader's CLEAR.
  bool TimingOnly(std::size_t address) const {
    const std::size_t udg = ram[SYSVAR_UDG] | ram[SYSVAR_UDG + 1] << 8;
    return (address >= SYSVAR_SEED && address < SYSVAR_FRAMES + 3) || (address < sp && address + STACK_SCRATCH >= sp) ||
           (address < udg && address + STACK_SCRATCH >= udg);
  }
};

DemoRun LoadDemo(const std::string& path, const FastOptions& options) {
  ReferenceHost host(InProcessPluginOptions());
  ApplyOptions(host, options);
  SetDeckOption(host, "AutoPlay", 0);
  DemoRun run;
  if (Failed(host.Start())) return run;
  LoadOptions load;
  load.tapePath = path;
  load.untilTapeEnd = true;
  load.maxSeconds = 200;
  const LoadReport report = RunLoad(host, load);
  run.loaded = report.exitReason == "tape_end" && host.Cpu().Peek(SYSVAR_ERR_NR) == REPORT_OK;
  run.tapeSeconds = report.tapeSeconds;
  run.ram = MemoryAt(host, 0, 65536);
  run.sp = host.Cpu().Register(regSP);
  return run;
}

// countdown-demo redraws its counter with interrupts enabled, for about a
// thousand T-states between blocks whose leaders are two pulses long. When the
// frame interrupt falls there, the ROM's interrupt routine outlasts the leader
// and 47loader reports a loading error, as on a Spectrum: with the options off,
// about a third of the moments within a frame at which Play can be pressed
// fail. Only its run with every option on is checked.
class FortySevenLoader : public ::testing::TestWithParam<const char*> {};

TEST_P(FortySevenLoader, LoadsTheSameInEveryCombinationOfTheOptions) {
  REQUIRE_ROM();
  std::string name = GetParam();
  std::replace(name.begin(), name.end(), '_', '-');
  const std::string path = SharedTape("47loader/" + name + ".tzx");
  REQUIRE_FILE(path);
  const DemoRun fast = LoadDemo(path, ALL_ON);
  EXPECT_TRUE(fast.loaded);
  for (std::uint32_t bits = 0; name != "countdown-demo" && bits < 7; ++bits) {
    const FastOptions options{"", bits >> 2, (bits >> 1) & 1, bits & 1};
    const DemoRun run = LoadDemo(path, options);
    SCOPED_TRACE("fast " + std::to_string(options.fastLoad) + ", flash " + std::to_string(options.flashLoad) +
                 ", edge " + std::to_string(options.edgeDetection));
    EXPECT_TRUE(run.loaded);
    for (std::size_t address = 0x4000; run.loaded && address < 65536; ++address) {
      if (fast.TimingOnly(address) || run.TimingOnly(address)) continue;
      ASSERT_EQ(fast.ram[address], run.ram[address]) << "at " << address;
    }
    EXPECT_LT(fast.tapeSeconds, run.tapeSeconds);
  }
}

INSTANTIATE_TEST_SUITE_P(Demos, FortySevenLoader,
                         ::testing::Values("simple_demo", "reverse_demo", "rle_demo", "linear_demo", "bidi_demo",
                                           "squares_demo", "countdown_demo"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
}  // namespace reelbox::host

// The 47loader demonstration tapes (a ROM-loaded BASIC part, then turbo blocks
// read by 47loader's own sampling loop) load to the same RAM with every
// fast-loading option on and with all off. Auto play / stop does not know
// 47loader's loop (IN A,(0xFE); ADD A,A; JP M) and would stop it in its first
// frame of data: these runs switch it off and press Play with F7, as a user does.
#include <algorithm>

#include "host/load_session.h"
#include "host_fixture.h"
#include "in_process_plugin.h"

namespace reelbox::host {
namespace {

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
  // space below the stack and below the UDGs, where it lived before the loader's CLEAR.
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

// countdown-demo draws its countdown with interrupts enabled between glued
// blocks whose leaders are two pulses long. Played at the tape's own speed, on
// this host (no memory contention) the frame interrupt falls into one of those
// gaps, the ROM's interrupt routine outlasts the leader and 47loader reports a
// loading error. With edge detection the gaps fall elsewhere.
class FortySevenLoader : public ::testing::TestWithParam<const char*> {};

TEST_P(FortySevenLoader, LoadsTheSameWithEveryOptionOnAndAllOff) {
  REQUIRE_ROM();
  std::string name = GetParam();
  std::replace(name.begin(), name.end(), '_', '-');
  const std::string path = SharedTape("47loader/" + name + ".tzx");
  REQUIRE_FILE(path);
  const DemoRun fast = LoadDemo(path, ALL_ON);
  const DemoRun played = LoadDemo(path, ALL_OFF);
  std::printf("%-16s tape %.2f s all on (%d), %.2f s all off (%d)\n", GetParam(), fast.tapeSeconds, fast.loaded,
              played.tapeSeconds, played.loaded);
  EXPECT_TRUE(fast.loaded);
  EXPECT_EQ(name != "countdown-demo", played.loaded);
  for (std::size_t address = 0x4000; fast.loaded && played.loaded && address < 65536; ++address) {
    if (fast.TimingOnly(address) || played.TimingOnly(address)) continue;
    EXPECT_EQ(fast.ram[address], played.ram[address]) << "at " << address;
  }
  EXPECT_LT(fast.tapeSeconds, played.tapeSeconds);
}

INSTANTIATE_TEST_SUITE_P(Demos, FortySevenLoader,
                         ::testing::Values("simple_demo", "reverse_demo", "rle_demo", "linear_demo", "bidi_demo",
                                           "squares_demo", "countdown_demo"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
}  // namespace reelbox::host

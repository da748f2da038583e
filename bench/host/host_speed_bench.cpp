// The reference host's speed next to libz80ex alone, measured in one run: x
// real time (emulated seconds per CPU second) while the 48K ROM loads a tape
// edge by edge with every fast-loading option off, and while it idles in
// BASIC; the bare core runs the same ROM code for the same T-states. Each
// speed is the best of a few interleaved rounds, so that a busy machine
// moves both sides alike.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/host/bare_z80.h"
#include "host/basic_entry.h"
#include "host/reference_host.h"

namespace reelbox::host {
namespace {

constexpr int ROUNDS = 5;
constexpr std::uint32_t BOOT_FRAMES = 250;        // the 48K ROM has tested its RAM and shows its message
constexpr std::uint32_t IDLE_FRAMES = 2500;       // 50 emulated seconds
constexpr std::uint32_t MAX_LOAD_FRAMES = 10000;  // 200 emulated seconds
constexpr std::uint16_t LD_BYTES = 0x0556;
constexpr std::uint16_t CALLER = 0x5D00;  // above the system variables, below the loaded bytes
constexpr std::uint16_t CALLER_STACK = 0x5F00;

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Speed {
  double emulated = 0;  // seconds
  double cpu = 1e9;     // seconds
  double Times() const { return emulated / cpu; }
  void KeepBest(double emulatedSeconds, double cpuSeconds) {
    if (cpuSeconds > 0 && emulatedSeconds / cpuSeconds > Times()) *this = Speed{emulatedSeconds, cpuSeconds};
  }
};

struct HostLoad {
  std::uint32_t frames = 0;  // while the tape played
  std::uint64_t reads = 0;   // of the ULA port, when counted
  double cpu = 0;
};

HostOptions Options(bool profile) {
  HostOptions options;
  options.pluginPath = REELBOX_PLUGIN_PATH;
  options.romFolder = REELBOX_SHARED_ROMS;
  options.profile = profile;
  return options;
}

// Boots 48 BASIC, opens the tape with every fast-loading option off and types
// LOAD ""; true once the tape plays.
bool StartLoading(ReferenceHost& host, const std::string& tape) {
  for (const char* name : {"Fast Load", "FlashLoad", "Edge Detection"}) {
    host.Settings().SetDword("Plugins\\Reelbox", name, 0);
  }
  std::string error;
  if (Failed(host.Start()) || !EnterBasic(host, BasicMode::Basic48, &error)) return false;
  if (Failed(host.OpenTape(tape))) return false;
  host.TypeChords(LoadCommandChords(host, BasicMode::Basic48, false));
  for (std::uint32_t frame = 0; frame < MAX_LOAD_FRAMES && !host.Tape().Playing(); ++frame) host.RunFrame();
  return host.Tape().Playing();
}

// Times the frames during which the tape plays. With the plug-in's calls timed
// it counts them: every one but BeginFrame and EndFrame is a port read.
HostLoad LoadOnHost(const std::string& tape, bool countReads) {
  ReferenceHost host(Options(countReads));
  HostLoad load;
  if (!StartLoading(host, tape)) return load;
  const std::uint64_t calls = host.Machine().Timer().Calls();
  const double start = CpuSeconds();
  for (; load.frames < MAX_LOAD_FRAMES && host.Tape().Playing(); ++load.frames) host.RunFrame();
  load.cpu = CpuSeconds() - start;
  load.reads = host.Machine().Timer().Calls() - calls - 2ull * load.frames;
  return load;
}

// The plug-in's own time: its deck plays the same tape to as many port reads,
// spread evenly over as many frames, through the host's device slots and
// frame clock, with no CPU running.
double PluginAlone(const std::string& tape, const HostLoad& counted) {
  ReferenceHost host(Options(false));
  if (counted.frames == 0 || !StartLoading(host, tape)) return 0;
  IDevice* device = host.Plugin().Device();
  Spectrum& cpu = host.Cpu();
  const std::uint64_t perFrame = counted.reads / counted.frames;
  const auto spacing = static_cast<std::uint32_t>(cpu.FrameLength() / (perFrame + 1));
  const double start = CpuSeconds();
  for (std::uint32_t frame = 0; frame < counted.frames; ++frame) {
    device->BeginFrame(0);
    for (std::uint64_t read = 1; read <= perFrame; ++read) {
      cpu.SetFrameClock(static_cast<std::uint32_t>(read * spacing));
      std::uint8_t value = 0xBF;
      device->ReadPort(0xFE, &value);
    }
    cpu.SetFrameClock(cpu.FrameLength());
    device->EndFrame(0, 0);
  }
  return CpuSeconds() - start;
}

// LD-BYTES called over and over from a loop in RAM, as LOAD "" calls it.
double LoadOnBareCore(const std::vector<std::uint8_t>& rom, const std::vector<std::uint64_t>& edges,
                      std::uint64_t tstates) {
  BareZ80 bare(rom.data());
  const std::vector<std::uint8_t> caller = {
      0xF3,  // DI
      0xDD,          0x21,
      0x00,          0x80,  // LD IX,0x8000
      0x11,          0xFF,
      0x7F,                 // LD DE,0x7FFF
      0x3E,          0xFF,  // LD A,0xFF
      0x37,                 // SCF
      0xCD,          LD_BYTES & 0xFF,
      LD_BYTES >> 8,        // CALL LD-BYTES
      0x18,          0xF0,  // JR to the DI
  };
  bare.Enter(CALLER, caller, CALLER_STACK);
  const double start = CpuSeconds();
  bare.RunWithSignal(tstates, edges);
  return CpuSeconds() - start;
}

double IdleOnHost() {
  ReferenceHost host(Options(false));
  std::string error;
  if (Failed(host.Start()) || !EnterBasic(host, BasicMode::Basic48, &error)) return 0;
  const double start = CpuSeconds();
  host.RunFrames(IDLE_FRAMES);
  return CpuSeconds() - start;
}

double IdleOnBareCore(const std::vector<std::uint8_t>& rom, const MachineDescription& desc) {
  BareZ80 bare(rom.data());
  bare.RunFrames(BOOT_FRAMES, desc.FrameTStates(), desc.interruptTStates);
  const double start = CpuSeconds();
  bare.RunFrames(IDLE_FRAMES, desc.FrameTStates(), desc.interruptTStates);
  return CpuSeconds() - start;
}

void BM_HostAgainstBareZ80ex(benchmark::State& state) {
  const std::string rom = std::string(REELBOX_SHARED_ROMS) + "/48.rom";
  const std::string tape = std::string(REELBOX_SHARED_TAPES) + "/rom-loaded/rustzx-simple_tape.tap";
  const std::vector<std::uint8_t> romBytes = ReadFile(rom);
  const std::vector<std::uint64_t> edges = RomTimedEdges(ReadFile(tape));
  if (romBytes.size() != 16384 || edges.empty()) {
    state.SkipWithError(("needs " + rom + " and " + tape).c_str());
    return;
  }
  const MachineDescription& desc = *MachineByModel(MODEL_48K);
  const double idleSeconds = static_cast<double>(IDLE_FRAMES) * desc.FrameTStates() / TSTATES_PER_SECOND;
  Speed loadHost, loadBare, idleHost, idleBare;
  Speed plugin;
  HostLoad counted;
  for (auto _ : state) {
    counted = LoadOnHost(tape, true);
    for (int round = 0; round < ROUNDS; ++round) {
      const HostLoad load = LoadOnHost(tape, false);
      const std::uint64_t tstates = static_cast<std::uint64_t>(load.frames) * desc.FrameTStates();
      const double loadSeconds = static_cast<double>(tstates) / TSTATES_PER_SECOND;
      loadHost.KeepBest(loadSeconds, load.cpu);
      loadBare.KeepBest(loadSeconds, LoadOnBareCore(romBytes, edges, tstates));
      plugin.KeepBest(loadSeconds, PluginAlone(tape, counted));
      idleHost.KeepBest(idleSeconds, IdleOnHost());
      idleBare.KeepBest(idleSeconds, IdleOnBareCore(romBytes, desc));
    }
  }
  const double pluginShare = plugin.cpu / loadHost.cpu;
  state.counters["load_host_x"] = loadHost.Times();
  state.counters["load_bare_x"] = loadBare.Times();
  state.counters["load_host_pct_of_bare"] = 100.0 * loadHost.Times() / loadBare.Times();
  state.counters["idle_host_x"] = idleHost.Times();
  state.counters["idle_bare_x"] = idleBare.Times();
  state.counters["idle_host_pct_of_bare"] = 100.0 * idleHost.Times() / idleBare.Times();
  state.counters["plugin_share_pct"] = 100.0 * pluginShare;
  std::printf("x real time      host   bare libz80ex  host/bare\n");
  std::printf("ROM loading  %8.1f  %13.1f  %8.1f%%  (%.1f emulated s, %llu port reads)\n", loadHost.Times(),
              loadBare.Times(), 100.0 * loadHost.Times() / loadBare.Times(), loadHost.emulated,
              static_cast<unsigned long long>(counted.reads));
  std::printf("BASIC idle   %8.1f  %13.1f  %8.1f%%  (%.1f emulated s)\n", idleHost.Times(), idleBare.Times(),
              100.0 * idleHost.Times() / idleBare.Times(), idleSeconds);
  std::printf("The plug-in takes %.1f%% of the host's time while the ROM loads.\n", 100.0 * pluginShare);
}

BENCHMARK(BM_HostAgainstBareZ80ex)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace reelbox::host

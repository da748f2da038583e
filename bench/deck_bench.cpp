// The deck's cost on the emulation thread: one port read while a data block
// plays, and edges produced per second when frames run with no CPU reading.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "shell/tape_plugin.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox {
namespace {

// The least a host must be: a clock, registers and memory; everything else is
// refused. A loader's sampling loop sits at PC, so the deck never stops itself.
class BenchMachine final : public IEmulatedMachine, public IHostRegistry {
 public:
  BenchMachine() {
    memory[0x8000] = 0xA9;  // XOR C; AND 0x20; JR Z
    memory[0x8001] = 0xE6;
    memory[0x8002] = 0x20;
    memory[0x8003] = 0x28;
    registers[REG_PC] = 0x8000;
  }
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override {
    *out = riid == IID_IHostRegistry ? static_cast<IHostRegistry*>(this) : nullptr;
    return *out != nullptr ? RESULT_OK : RESULT_NOINTERFACE;
  }
  std::uint32_t RB_CALL AddRef() override { return 1; }
  std::uint32_t RB_CALL Release() override { return 1; }
  HResult RB_CALL AddExecutionTrap(std::uint32_t, std::uint16_t, std::uint32_t, IDevice*) override { return 0; }
  HResult RB_CALL RemoveExecutionTrap(std::uint32_t, std::uint16_t, std::uint32_t, IDevice*) override { return 0; }
  HResult RB_CALL SetRegister(std::uint32_t number, std::uint32_t value) override {
    registers[number & 0xFF] = static_cast<std::uint16_t>(value);
    return RESULT_OK;
  }
  HResult RB_CALL GetRegister(std::uint32_t number, std::uint32_t* value) override {
    *value = registers[number & 0xFF];
    return RESULT_OK;
  }
  HResult RB_CALL ReadMemory(std::uint16_t address, std::uint8_t* value) override {
    *value = memory[address];
    return RESULT_OK;
  }
  HResult RB_CALL WriteMemory(std::uint16_t address, std::uint8_t value) override {
    memory[address] = value;
    return RESULT_OK;
  }
  HResult RB_CALL MachineSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL PopWord(std::uint16_t* value) override {
    *value = 0;
    return RESULT_NOTIMPL;
  }
  HResult RB_CALL MachineSlot12() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot13() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot14() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot15() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot16() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot17() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetModel() override { return MODEL_48K; }
  std::uint32_t RB_CALL Is48KMode() override { return 1; }
  HResult RB_CALL MachineSlot20() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot21() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot22() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot23() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot24() override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetFullSpeed(std::uint32_t) override { return RESULT_OK; }
  std::uint32_t RB_CALL GetFrameClock() override { return clock; }
  HResult RB_CALL SetFrameClock(std::uint32_t tstates) override {
    clock = tstates;
    return RESULT_OK;
  }
  std::uint32_t RB_CALL GetFrameLength() override { return FRAME; }
  HResult RB_CALL MachineSlot29() override { return RESULT_NOTIMPL; }
  std::uint32_t RB_CALL GetRealTimeFlag() override { return 0; }
  HResult RB_CALL MachineSlot31() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot32() override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetSoundDevice(IDirectSound** device) override {
    *device = nullptr;
    return RESULT_FAIL;
  }
  std::uint32_t RB_CALL IsSoundOff() override { return 1; }
  std::uint32_t RB_CALL IsSoundSuspended() override { return 0; }
  HResult RB_CALL GetProperty(const char*, void*, std::uint32_t) override { return RESULT_FAIL; }
  HResult RB_CALL SetProperty(const char*, const void*, std::uint32_t) override { return RESULT_FAIL; }
  HResult RB_CALL RegistrySlot5() override { return RESULT_NOTIMPL; }
  HResult RB_CALL RegistrySlot6() override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetObjectCount(std::uint32_t, std::uint32_t* count) override {
    *count = 0;
    return RESULT_OK;
  }
  HResult RB_CALL GetObjectAt(std::uint32_t, std::uint32_t, IHostObject**) override { return RESULT_FAIL; }

  static constexpr std::uint32_t FRAME = 69888;
  std::uint32_t clock = 0;
  std::array<std::uint16_t, 256> registers{};
  std::array<std::uint8_t, 65536> memory{};
};

// A plug-in attached to a bench machine, its tape holding one block.
class BenchDeck {
 public:
  explicit BenchDeck(const std::vector<std::uint8_t>& block) {
    void* out = nullptr;
    CreateInstance(nullptr, IID_IDevice, &out);
    device = static_cast<IDevice*>(out);
    plugin = static_cast<TapePlugin*>(device);
    device->Attach(&machine);
    plugin->BlockList().Append(NewOwnedBlock(block.data(), static_cast<std::uint32_t>(block.size())));
    plugin->Deck().ResetDeck();
  }
  ~BenchDeck() {
    device->Detach();
    device->Release();
  }
  BenchDeck(const BenchDeck&) = delete;
  BenchDeck& operator=(const BenchDeck&) = delete;

  void EndFrame() {
    machine.clock = BenchMachine::FRAME;
    device->EndFrame(0, 0);
  }
  void BeginFrame() {
    machine.clock = 0;
    device->BeginFrame(0);
    if (plugin->Deck().state != DECK_PLAYING) Restart();
  }
  void NextFrame() {
    EndFrame();
    BeginFrame();
  }
  // Back to the block's data phase (its tone skipped), playing from the frame start.
  void Restart() {
    TapeDeck& deck = plugin->Deck();
    deck.GoToBlock(0);
    deck.Play();
    while (deck.phase < 3) deck.AdvancePhase();
  }

  BenchMachine machine;
  IDevice* device = nullptr;
  TapePlugin* plugin = nullptr;
};

// A standard speed block of 48 KB of mixed bits (about 17,000 frames).
std::vector<std::uint8_t> LongDataBlock() {
  const std::uint32_t length = 49152;
  std::vector<std::uint8_t> block{0x10, 0xE8, 0x03, static_cast<std::uint8_t>(length), length >> 8, 0xFF};
  for (std::uint32_t i = 1; i < length; ++i) block.push_back(static_cast<std::uint8_t>(i * 37));
  return block;
}

// A loader samples the port about every 60 T-states.
void ReadPortDuringData(benchmark::State& state, bool fastLoading) {
  BenchDeck bench(LongDataBlock());
  bench.plugin->Deck().SetFastLoading(fastLoading);
  bench.plugin->Deck().edgeDetection = fastLoading;
  bench.Restart();
  std::uint8_t value = 0xFF;
  for (auto _ : state) {
    bench.machine.clock += 60;
    if (bench.machine.clock >= BenchMachine::FRAME) bench.NextFrame();
    bench.device->ReadPort(0xFE, &value);
    benchmark::DoNotOptimize(value);
  }
}

void BM_ReadPortDuringData(benchmark::State& state) { ReadPortDuringData(state, true); }
void BM_ReadPortDuringDataPlainLoading(benchmark::State& state) { ReadPortDuringData(state, false); }
BENCHMARK(BM_ReadPortDuringData);
BENCHMARK(BM_ReadPortDuringDataPlainLoading);

// Whole frames, the edges caught up at each frame's end; items are edges.
void EdgesFrameByFrame(benchmark::State& state, const std::vector<std::uint8_t>& block) {
  BenchDeck bench(block);
  bench.Restart();
  std::int64_t edges = 0;
  for (auto _ : state) {
    bench.EndFrame();
    edges += bench.plugin->Deck().edgeCount;
    bench.BeginFrame();
  }
  state.SetItemsProcessed(edges);
}

void BM_EdgesStandardData(benchmark::State& state) { EdgesFrameByFrame(state, LongDataBlock()); }
void BM_EdgesDenseTurboData(benchmark::State& state) {
  // 0x11 with no pilot, syncs 100, bits of 20 and 40 T-states.
  std::vector<std::uint8_t> block{0x11, 0, 0, 100, 0, 100, 0, 20, 0, 40, 0, 0, 0, 8, 0, 0, 0x00, 0xC0, 0x00};
  for (int i = 0; i < 0xC000; ++i) block.push_back(static_cast<std::uint8_t>(i * 37));
  EdgesFrameByFrame(state, block);
}
BENCHMARK(BM_EdgesStandardData);
BENCHMARK(BM_EdgesDenseTurboData);

}  // namespace
}  // namespace reelbox

// IDevice: the emulation loop reaches the deck through these slots.
#include "shell/module_state.h"
#include "shell/tape_plugin.h"
#include "snapshot/tape_snapshot.h"
#include "ui/cassette_recorder.h"

namespace reelbox {

HResult TapePlugin::ReadPort(std::uint32_t port, std::uint8_t* value) {
  if (port & 1) return RESULT_FAIL;  // the ULA answers even ports only
  return deck.ReadPort(value);
}

HResult TapePlugin::WritePort(std::uint32_t, std::uint8_t) { return RESULT_NOTIMPL; }

HResult TapePlugin::ExecuteTrap(std::uint16_t address) {
  deck.OnTrap(address);
  return RESULT_OK;
}

HResult TapePlugin::Reset(std::uint32_t) {
  deck.MachineReset();
  return RESULT_OK;
}

HResult TapePlugin::DeviceSlot7(std::uintptr_t, std::uintptr_t) { return RESULT_OK; }
HResult TapePlugin::DeviceSlot8() { return RESULT_NOTIMPL; }
HResult TapePlugin::DeviceSlot9(std::uintptr_t) { return RESULT_OK; }
HResult TapePlugin::DeviceSlot10() { return RESULT_NOTIMPL; }
HResult TapePlugin::DeviceSlot11() { return RESULT_NOTIMPL; }

HResult TapePlugin::SaveState(ISnapshotWriter* writer, IMediaHost* media, std::uint32_t flags) {
  const TapeSaveOptions options{embedTape != 0, warnEmbedLargeFiles != 0, shell, moduleInstance};
  return SaveTapeChunk(recorderWindow, deck.blockIndex, options, writer, media, flags);
}

HResult TapePlugin::LoadState(const std::uint8_t* chunk, IMediaHost* media, std::uint32_t flags) {
  const TapeLoadTarget target{this, shell, moduleInstance, &recorderWindow, &deck, &blockList};
  return LoadTapeChunk(chunk, target, media, flags);
}

HResult TapePlugin::DeviceSlot14(std::uintptr_t, std::uintptr_t, std::uintptr_t) { return RESULT_FAIL; }
HResult TapePlugin::DeviceSlot15(std::uintptr_t, std::uintptr_t, std::uintptr_t) { return RESULT_NOTIMPL; }
HResult TapePlugin::DeviceSlot16(std::uintptr_t) { return RESULT_NOTIMPL; }

HResult TapePlugin::GetName(const char** name) {
  *name = "reelbox.dll";
  return RESULT_OK;
}

HResult TapePlugin::DeviceSlot18() { return RESULT_OK; }

HResult TapePlugin::Attach(IEmulatedMachine* machine) { return deck.Attach(machine, static_cast<IDevice*>(this)); }

HResult TapePlugin::Detach() {
  deck.Detach();
  return RESULT_OK;
}

HResult TapePlugin::StopSound() {
  deck.StopNoise();
  return RESULT_OK;
}

HResult TapePlugin::BeginFrame(std::uint32_t flag) {
  if (recorderWindow != nullptr) recorderWindow->DrainCommands(deck);
  return deck.BeginFrame(flag);
}

HResult TapePlugin::EndFrame(std::uint32_t, std::uint32_t) { return deck.EndFrame(); }

HResult TapePlugin::SoundControl(std::uint32_t stop) {
  if (stop != 0) deck.StopNoise();
  return RESULT_OK;
}

}  // namespace reelbox

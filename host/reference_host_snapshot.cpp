// The reference host's zx-state snapshots: loading (with a change of model)
// and saving, with the plug-in's own chunks.
#include <fstream>
#include <iterator>

#include "host/chunk_collector.h"
#include "host/machine_snapshot.h"
#include "host/reference_host.h"
#include "host/rom_set.h"
#include "platform/posix/message_service/message_service.h"

namespace reelbox::host {
HResult ReferenceHost::SwitchMachine(const MachineDescription& desc) {
  std::vector<std::uint8_t> roms;
  if (!LoadRoms(desc, options_.romFolder, options_.romPath, &roms, &error_)) return RESULT_FAIL;
  machine_->SwitchMachine(desc, roms.data());
  media_->SetModel(desc.model);
  desc_ = &desc;
  return RESULT_OK;
}

HResult ReferenceHost::LoadSnapshot(const std::uint8_t* data, std::size_t size) {
  if (!machine_) {
    error_ = "the host has not started";
    return RESULT_FAIL;
  }
  SzxState state;
  std::string why;
  if (!ReadSzx(data, size, &state, &why)) {
    error_ = "malformed snapshot: " + why;
    return TAPE_E_BADFORMAT;
  }
  const MachineDescription* desc = MachineBySzxId(state.machineId);
  if (desc == nullptr) {
    error_ = "the snapshot is of machine id " + std::to_string(state.machineId) + ", which the host does not emulate";
    return TAPE_E_UNSUPPORTED;
  }
  if (desc != desc_) {
    const HResult result = SwitchMachine(*desc);
    if (Failed(result)) return result;
  }
  if (!RestoreMachine(machine_->Machine(), state, &error_)) return TAPE_E_BADFORMAT;
  SetSpeechUnit(state.hasSpeech);
  PassChunksToPlugin(state.otherChunks);
  return RESULT_OK;
}

void ReferenceHost::PassChunksToPlugin(const std::vector<SzxChunk>& chunks) {
  if (!attached_) return;
  for (const SzxChunk& chunk : chunks) {
    const std::vector<std::uint8_t> bytes = ChunkBytes(chunk);
    plugin_.Device()->LoadState(bytes.data(), media_.get(), 0);
  }
  rb_dispatch_messages();
}

HResult ReferenceHost::LoadSnapshotFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error_ = "cannot read " + path;
    return RESULT_FAIL;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return LoadSnapshot(bytes.data(), bytes.size());
}

HResult ReferenceHost::SaveSnapshot(std::vector<std::uint8_t>* file) {
  if (!machine_) return RESULT_FAIL;
  SzxState state = CaptureMachine(machine_->Machine(), speechUnit_);
  state.hasCreator = true;
  state.creator = "Reelbox reference host";
  state.creatorMajor = 1;
  if (attached_) {
    ChunkCollector collector;
    const HResult result = plugin_.Device()->SaveState(&collector, media_.get(), 0);
    if (Failed(result)) {
      error_ = "the plug-in could not save its state";
      return result;
    }
    state.otherChunks = std::move(collector.chunks);
  }
  *file = WriteSzx(state);
  return RESULT_OK;
}

HResult ReferenceHost::SaveSnapshotFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  const HResult result = SaveSnapshot(&bytes);
  if (Failed(result)) return result;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
    error_ = "cannot write " + path;
    return RESULT_FAIL;
  }
  return RESULT_OK;
}

}  // namespace reelbox::host

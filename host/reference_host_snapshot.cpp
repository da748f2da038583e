// The reference host's zx-state snapshots: loading (with a change of model)
// and saving, with the plug-in's own chunks.
#include <fstream>
#include <iterator>

#include "host/machine_snapshot.h"
#include "host/reference_host.h"
#include "host/rom_set.h"
#include "platform/posix/message_service/message_service.h"

namespace reelbox::host {
namespace {

// Collects the chunks a device writes. A chunk may come whole (its id and
// size first) or as its body alone.
class ChunkCollector final : public ISnapshotWriter {
 public:
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override {
    if (out == nullptr) return RESULT_FAIL;
    *out = riid == IID_IUnknown ? this : nullptr;
    return *out != nullptr ? RESULT_OK : RESULT_NOINTERFACE;
  }
  std::uint32_t RB_CALL AddRef() override { return 2; }
  std::uint32_t RB_CALL Release() override { return 1; }
  HResult RB_CALL WriteChunk(std::uint32_t chunkId, const void* data, std::uint32_t size) override {
    if (data == nullptr && size != 0) return RESULT_FAIL;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    SzxChunk chunk{chunkId, {}};
    const bool whole = size >= 8 && ReadLe32(bytes) == chunkId && ReadLe32(bytes + 4) == size - 8;
    chunk.data.assign(bytes + (whole ? 8 : 0), bytes + size);
    chunks.push_back(std::move(chunk));
    return RESULT_OK;
  }
  std::vector<SzxChunk> chunks;

 private:
  static std::uint32_t ReadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
  }
};

}  // namespace

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

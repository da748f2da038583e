// Auto-load: the host opens a snapshot of its machine with LOAD "" already
// typed and the ROM waiting for the tape, and the tape starts.
#include <cstring>

#include "platform/key_state.h"
#include "resources/snapshot_resources.h"
#include "snapshot/auto_load_snapshots.h"
#include "snapshot/tape_snapshot.h"
#include "tape/ascii_text.h"
#include "ui/cassette_recorder.h"

namespace reelbox {
namespace {

constexpr const char* SPEECH_UNIT_ENABLED = "vocalis.dll\\@ENABLED";
constexpr const char* INPUT_RECORDING = "replix.dll\\RZX_RECORDING";
constexpr std::uint32_t OPENS_FILES = 0x2;
constexpr std::uint32_t EXTENSIONS_OPENED = 2;
constexpr std::uint32_t FROM_AUTO_LOAD = 1;

struct Snapshot {
  const void* data = nullptr;
  std::uint32_t size = 0;
};

// A 4-byte property; one that cannot be read counts as 0.
std::uint32_t ReadFlag(IHostRegistry* registry, const char* name) {
  std::uint32_t value = 0;
  return Succeeded(registry->GetProperty(name, &value, sizeof value)) ? value : 0;
}

// Offers the snapshot to handler when it opens ".szx" files. False when one
// of its calls failed, which ends the search.
bool OfferToSnapshotHandler(IMediaHandler* handler, const Snapshot& snapshot, IMediaHost* host) {
  std::uint32_t capabilities = 0;
  if (Failed(handler->GetCapabilities(&capabilities))) return false;
  if ((capabilities & OPENS_FILES) == 0) return true;
  const char* const* extensions = nullptr;
  std::uint32_t count = 0;
  if (Failed(handler->GetExtensions(EXTENSIONS_OPENED, &extensions, &count))) return false;
  for (std::uint32_t i = 0; i < count && extensions != nullptr; ++i) {
    if (extensions[i] == nullptr || !EqualsIgnoringCase(extensions[i], ".szx")) continue;
    return Succeeded(handler->OpenMediaFromMemory(snapshot.data, snapshot.size, host, FROM_AUTO_LOAD));
  }
  return true;
}

// Hands the snapshot to the first of the host's media handlers that opens
// ".szx" files; any failing call ends the search.
void OpenWithSnapshotHandler(IHostRegistry* registry, const Snapshot& snapshot, IMediaHost* host) {
  std::uint32_t count = 0;
  if (Failed(registry->GetObjectCount(HOST_OBJECT_MEDIA_HANDLER, &count))) return;
  for (std::uint32_t index = 0; index < count; ++index) {
    IHostObject* object = nullptr;
    if (Failed(registry->GetObjectAt(HOST_OBJECT_MEDIA_HANDLER, index, &object)) || object == nullptr) return;
    // Objects of this kind are other plug-ins' media handlers.
    auto* handler = reinterpret_cast<IMediaHandler*>(object);
    if (!OfferToSnapshotHandler(handler, snapshot, host)) return;
  }
}

}  // namespace

void AutoLoad(IMediaHost* host, bool code, ModuleHandle module, const TapeBlockList& blockList,
              CassetteRecorder* recorder) {
  if (host == nullptr || host->IsAutoLoadBlocked() != 0) return;
  void* found = nullptr;
  if (Failed(host->QueryInterface(IID_IHostRegistry, &found))) return;
  auto* registry = static_cast<IHostRegistry*>(found);
  const bool speechUnit = ReadFlag(registry, SPEECH_UNIT_ENABLED) != 0;
  if (ReadFlag(registry, INPUT_RECORDING) != 0) {
    registry->Release();
    return;
  }
  std::uint32_t machine = host->GetModel();
  if (machine < MODEL_128K && platform::IsControlKeyDown()) machine = MODEL_128K;
  const bool ctrlHeld = machine >= MODEL_128K && platform::IsControlKeyDown();
  const int id = AutoLoadSnapshotId(machine, speechUnit, code, ctrlHeld);
  Snapshot snapshot;
  if (id != 0 && FindSnapshotResource(module, static_cast<std::uint32_t>(id), &snapshot.data, &snapshot.size)) {
    OpenWithSnapshotHandler(registry, snapshot, host);
  }
  registry->Release();
  if (blockList.hasSignalBlocks != 0 && recorder != nullptr) recorder->Play();
}

}  // namespace reelbox

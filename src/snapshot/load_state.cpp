// LoadState: the tape of a TAPE chunk opened again, at the block it was at.
#include "engine/tape_deck.h"
#include "snapshot/tape_snapshot.h"
#include "ui/cassette_recorder.h"

namespace reelbox {
namespace {

constexpr std::uint32_t LOAD_FLAG_UNSUPPORTED = 2;

}  // namespace

HResult LoadTapeChunk(const std::uint8_t* chunk, const TapeLoadTarget& target, IMediaHost* media, std::uint32_t flags) {
  if ((flags & LOAD_FLAG_UNSUPPORTED) != 0) return RESULT_NOTIMPL;
  if (chunk == nullptr || !IsTapeChunk(chunk)) return RESULT_OK;
  TapeChunk fields;
  HResult result = ParseTapeChunk(chunk, &fields);
  if (Failed(result)) return result;
  std::string path;
  if (fields.Embedded()) {
    result = ExtractEmbeddedTape(fields, media, &path);
    if (Failed(result)) return result;
  } else {
    path = fields.LinkedPath();
  }

  // A tape restored with a snapshot is never loaded automatically.
  // The window is looked up again after each call that may show a dialog.
  CassetteRecorder* const* recorder = target.recorder;
  const std::uint32_t autoLoad = *recorder != nullptr ? (*recorder)->autoLoad : 0;
  if (*recorder != nullptr) (*recorder)->autoLoad = 0;
  result = target.handler->OpenMedia(path.c_str(), media, 0);
  bool opened = Succeeded(result);
  if (!opened) {
    result = BrowseForMissingTape(target.shell, target.module, target.handler, media, path.c_str(), result, &opened);
  }
  if (*recorder != nullptr) (*recorder)->autoLoad = autoLoad;

  if (!opened || Failed(result)) return result;
  if (fields.currentBlock >= target.blockList->GetCount()) return TAPE_E_BADFORMAT;
  target.deck->GoToBlock(fields.currentBlock);
  if (*recorder != nullptr) (*recorder)->HighlightBlock(fields.currentBlock);
  return result;
}

}  // namespace reelbox

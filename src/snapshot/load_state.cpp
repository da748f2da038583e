// LoadState: the tape of a TAPE chunk opened again, at the block it was at.
#include "shell/tape_plugin.h"
#include "snapshot/tape_snapshot.h"
#include "ui/cassette_recorder.h"

namespace reelbox {
namespace {

constexpr std::uint32_t LOAD_FLAG_UNSUPPORTED = 2;

}  // namespace

HResult TapePlugin::LoadState(const std::uint8_t* chunk, IMediaHost* media, std::uint32_t flags) {
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
  const std::uint32_t autoLoad = recorderWindow != nullptr ? recorderWindow->autoLoad : 0;
  if (recorderWindow != nullptr) recorderWindow->autoLoad = 0;
  result = OpenMedia(path.c_str(), media, 0);
  bool opened = Succeeded(result);
  if (!opened) result = BrowseForMissingTape(shell, this, media, path.c_str(), result, &opened);
  if (recorderWindow != nullptr) recorderWindow->autoLoad = autoLoad;

  if (!opened || Failed(result)) return result;
  if (fields.currentBlock >= blockList.GetCount()) return TAPE_E_BADFORMAT;
  deck.GoToBlock(fields.currentBlock);
  if (recorderWindow != nullptr) recorderWindow->HighlightBlock(fields.currentBlock);
  return result;
}

}  // namespace reelbox

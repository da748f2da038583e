// Opening a tape file: the reader fills the list, then the window, the deck,
// automatic loading and the host are brought up to date.
#include "platform/key_state.h"
#include "shell/module_state.h"
#include "shell/tape_plugin.h"
#include "snapshot/tape_snapshot.h"
#include "tape/tape_opener.h"
#include "ui/cassette_recorder.h"

namespace reelbox {
namespace {

ICompressionService* CompressionServiceOf(IMediaHost* media) {
  void* service = nullptr;
  if (media == nullptr || Failed(media->QueryInterface(IID_ICompressionService, &service))) return nullptr;
  return static_cast<ICompressionService*>(service);
}

}  // namespace

HResult TapePlugin::OpenMedia(const char* path, IMediaHost* media, std::uint32_t /*flags*/) {
  const TapeFormat format = FormatFromPath(path);
  if (format == TapeFormat::Unknown) return TAPE_E_UNKNOWNTYPE;

  ICompressionService* compression = format == TapeFormat::Csw ? CompressionServiceOf(media) : nullptr;
  const HResult result = ReadTapeFile(blockList, format, path, compression);
  SafeRelease(compression);
  if (Failed(result)) return result;

  if (recorderWindow != nullptr) {
    recorderWindow->TapeLoaded(path);
    recorderWindow->recordDisabled = (FileNameHasTilde(path) || blockList.recordable == 0) ? 1 : 0;
  }
  deck.ResetDeck();

  const AutoLoadKind kind = blockList.AnalyseForAutoLoad();
  if (kind != None && recorderWindow != nullptr && recorderWindow->autoLoad && !platform::IsShiftKeyDown()) {
    AutoLoad(media, kind == Code, moduleInstance, blockList, recorderWindow);
  }

  if (media != nullptr) {
    media->MediaOpened(path);
    media->MediaNotify(0);
  }
  return result;
}

}  // namespace reelbox

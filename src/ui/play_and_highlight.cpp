// The recorder's Play command and its block highlight, as auto-load and
// snapshot loading use them.
#include "platform/message_box.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "ui/cassette_recorder.h"

namespace reelbox {
namespace {

constexpr const char* EXTERNAL_AUDIO_ACTIVE = "sonarix.dll\\SONARIXACTIVE";

}  // namespace

void CassetteRecorder::HighlightBlock(std::int32_t index) { shownBlock = index; }

void CassetteRecorder::Play() {
  PostCommand(CMD_PLAY, 0, 0);
  void* registry = nullptr;
  if (host == nullptr || Failed(host->QueryInterface(IID_IHostRegistry, &registry))) return;
  auto* properties = static_cast<IHostRegistry*>(registry);
  std::uint32_t active = 0;
  if (Failed(properties->GetProperty(EXTERNAL_AUDIO_ACTIVE, &active, sizeof active))) active = 0;
  if (active != 0) {
    const std::uint32_t modal = host->SetModalState(0);
    char text[512];
    char caption[64];
    LoadResourceString(instance, IDS_EXTERNAL_AUDIO_ACTIVE, text, sizeof text);
    LoadResourceString(instance, IDS_HOST_CAPTION, caption, sizeof caption);
    const std::uint32_t style = platform::MESSAGE_BOX_YES_NO | platform::MESSAGE_BOX_ICON_QUESTION;
    if (platform::ShowMessageBox(host->GetMainWindow(), text, caption, style) == platform::ANSWER_YES) {
      const std::uint32_t off = 0;
      properties->SetProperty(EXTERNAL_AUDIO_ACTIVE, &off, sizeof off);
    }
    host->SetModalState(modal);
  }
  properties->Release();
}

}  // namespace reelbox

// The recorder's buttons and status bar, and the commands behind them.
#include <cstdio>

#include "engine/tape_deck.h"
#include "platform/message_box.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "ui/cassette_recorder.h"
#include "ui/recorder_commands.h"
#include "ui/recorder_layout.h"
#include "ui/table_of_contents.h"

namespace reelbox {
namespace {

constexpr int STATUS_TEXT_LENGTH = 32;
constexpr const char* EXTERNAL_AUDIO_PROPERTY = "sonarix.dll\\SONARIXACTIVE";

}  // namespace

void CassetteRecorder::UpdateControls(std::int32_t state) {
  if (view == nullptr) return;
  view->PressButton(ID_FAST_LOADING, fastLoad != 0);
  view->PressButton(ID_AUTO_PLAY, autoPlay != 0);
  view->PressButton(ID_DETAILED_TOC, detailedToc != 0);
  view->PressButton(ID_LOADING_NOISE, loadingTones != 0);
  view->PressButton(ID_AUTO_LOAD, autoLoad != 0);

  const TransportState transport = DecideTransport(state, tapeInserted != 0, controlsLocked != 0, recordDisabled != 0,
                                                   blockList->hasSignalBlocks != 0);
  view->EnableButton(ID_RECORD, transport.record);
  view->EnableButton(ID_PLAY, transport.play);
  view->EnableButton(ID_PAUSE, transport.pause);
  view->EnableButton(ID_STOP, transport.stop);
  view->EnableButton(ID_REWIND, transport.rewind);
  view->EnableButton(ID_FAST_FORWARD, transport.fastForward);
  view->EnableButton(ID_EJECT, transport.eject);
  // One of the check group at most: the others are released.
  for (std::uint32_t command : {ID_RECORD, ID_PLAY, ID_PAUSE, ID_STOP}) {
    if (command != transport.pressed) view->PressButton(command, false);
  }
  if (transport.pressed != 0) view->PressButton(transport.pressed, true);

  if (host != nullptr) {
    WindowHandle statusBar = nullptr;
    host->GetStatusBar(&statusBar);
    IconHandle icon = state == DECK_PLAYING ? tapeIcon : state == DECK_RECORDING ? recordIcon : nullptr;
    view->SetHostStatusIcon(statusBar, hostStatusPane, icon);
  }

  char text[STATUS_TEXT_LENGTH] = "";
  if (!tapeInserted) {
    LoadResourceString(instance, IDS_EMPTY, text, sizeof text);
  } else if (state >= DECK_STOPPED && state <= DECK_RECORDING) {
    LoadResourceString(instance, IDS_STATE_BASE + state, text, sizeof text);
  }
  view->SetStatusText(0, text);
}

void CassetteRecorder::LayoutStatusBar() {
  if (view == nullptr) return;
  const std::int32_t count = blockList->GetCount();
  char format[STRING_BUDGET];
  char text[ROW_TEXT_LENGTH];
  LoadResourceString(instance, IDS_BLOCK_OF, format, sizeof format);
  std::snprintf(text, sizeof text, format, count, count);
  std::int32_t width = 0, height = 0;
  view->ClientSize(&width, &height);
  view->SetStatusParts(StatusPart0Right(width, view->StatusTextWidth(text), view->ThumbWidth()));
  view->SetStatusIcon(0, tapeIcon);
}

void CassetteRecorder::OnCommand(std::uint32_t id) {
  switch (id) {
    case ID_RECORD:
      if (tapeInserted) PostCommand(CMD_RECORD, 0, 0);
      break;
    case ID_PLAY:
      Play();
      break;
    case ID_REWIND:
    case ID_FAST_FORWARD:
      if (view != nullptr && view->SelectedRow() >= 0) {
        JumpToRow(view->SelectedRow() + (id == ID_REWIND ? -1 : 1));
      }
      break;
    case ID_STOP:
      PostCommand(CMD_STOP, 0, 0);
      break;
    case ID_EJECT:
      blockList->Clear();
      TapeLoaded(nullptr);
      break;
    case ID_PAUSE:
      PostCommand(CMD_PAUSE, 0, 0);
      break;
    case ID_FAST_LOADING:
      fastLoad = !fastLoad;
      PostCommand(CMD_SET_FAST_LOAD, fastLoad, 0);
      break;
    case ID_AUTO_PLAY:
      autoPlay = !autoPlay;
      PostCommand(CMD_SET_AUTO_PLAY, autoPlay, 0);
      break;
    case ID_DETAILED_TOC:
      detailedToc = !detailedToc;
      FillTableOfContents();
      reportBlock = 1;
      break;
    case ID_LOADING_NOISE:
      loadingTones = !loadingTones;
      PostCommand(CMD_SET_LOADING_NOISE, loadingTones, 0);
      break;
    case ID_AUTO_LOAD:
      autoLoad = !autoLoad;  // read when the next file is opened
      break;
    default:
      break;
  }
}

// The tape starts whatever the answer: the question concerns only the
// external audio source, whose input would hide the tape's.
void CassetteRecorder::Play() {
  PostCommand(CMD_PLAY, 0, 0);
  if (host == nullptr) return;
  IHostRegistry* registry = nullptr;
  if (Failed(host->QueryInterface(IID_IHostRegistry, reinterpret_cast<void**>(&registry))) || registry == nullptr) {
    return;
  }
  std::uint32_t active = 0;
  if (Succeeded(registry->GetProperty(EXTERNAL_AUDIO_PROPERTY, &active, sizeof active)) && active != 0) {
    const std::uint32_t modal = host->SetModalState(0);
    char text[512];
    char caption[STRING_BUDGET];
    LoadResourceString(instance, IDS_EXTERNAL_AUDIO_ACTIVE, text, sizeof text);
    LoadResourceString(instance, IDS_CAPTION, caption, sizeof caption);
    const std::int32_t answer = platform::ShowMessageBox(
        host->GetMainWindow(), text, caption, platform::MESSAGE_BOX_YES_NO | platform::MESSAGE_BOX_ICON_QUESTION);
    if (answer == platform::ANSWER_YES) {
      const std::uint32_t off = 0;
      registry->SetProperty(EXTERNAL_AUDIO_PROPERTY, &off, sizeof off);
    }
    host->SetModalState(modal);
  }
  registry->Release();
}

bool CassetteRecorder::CtrlKeyScheme() const {
  std::uint32_t flags = 0;
  if (host != nullptr) host->GetOptionFlags(&flags);
  return (flags & 1) != 0;
}

int CassetteRecorder::TooltipString(std::uint32_t command) const {
  if (!CtrlKeyScheme()) {
    if (command == ID_PLAY) return IDS_TOOLTIP_PLAY_F7;
    if (command == ID_STOP) return IDS_TOOLTIP_STOP_F7;
  }
  return IDS_TOOLTIP_BASE + static_cast<int>(command);
}

}  // namespace reelbox

#include "ui/cassette_recorder.h"

#include <cstdio>
#include <cstring>

#include "engine/tape_deck.h"
#include "platform/window_messages.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "ui/recorded_blocks_writer.h"
#include "ui/recorder_commands.h"
#include "ui/recorder_layout.h"
#include "ui/table_of_contents.h"
#include "ui/tape_dialogs.h"

namespace reelbox {
namespace {

constexpr int TITLE_LENGTH = 64;  // 63 characters and the terminator
constexpr std::size_t DISPLAY_NAME_LENGTH = 127;
constexpr std::int32_t HOST_PANE_WIDTH = 27;

// The text after the last folder separator or "~" of path.
const char* DisplayName(const char* path) {
  const char* name = path;
  for (const char* at = path; *at != '\0'; ++at) {
    if (*at == '\\' || *at == '/' || *at == '~') name = at + 1;
  }
  return name;
}

// Feeds a fill's rows to the view.
class ViewRows final : public RowSink {
 public:
  explicit ViewRows(RecorderView& view) : view_(view) {}
  void AddRow(const char* text, std::int32_t parameter) override { view_.AddRow(text, parameter); }

 private:
  RecorderView& view_;
};

}  // namespace

CassetteRecorder::CassetteRecorder(ModuleHandle instance, TapeBlockList* blockList)
    : instance(instance), blockList(blockList) {
  tapeIcon = LoadResourceIcon(instance, IDI_CASSETTE, 16);
  recordIcon = LoadResourceIcon(instance, IDI_CASSETTE_RECORDING, 16);
}

CassetteRecorder::~CassetteRecorder() {
  delete view;
  SafeRelease(host);
}

WindowHandle CassetteRecorder::Create(WindowHandle owner, IHostShell* shell) {
  if (CreateRecorderView(this, owner) == nullptr) return nullptr;
  host = shell;
  if (host != nullptr) {
    host->AddRef();
    host->AddStatusPane(HOST_PANE_WIDTH, &hostStatusPane);
  }
  CentreOverOwner();
  LoadSettings();
  UpdateControls(DECK_STOPPED);
  if (showWindow) view->Show(true);
  return window;
}

// The defaults centre the window over the host's main window.
void CassetteRecorder::CentreOverOwner() {
  if (host == nullptr) return;
  std::int32_t ownerWidth = 0, ownerHeight = 0, width = 0, height = 0;
  view->OwnerClientSize(host->GetMainWindow(), &ownerWidth, &ownerHeight);
  view->WindowSize(&width, &height);
  left = HalfOf(ownerWidth - width);
  top = HalfOf(ownerHeight - height);
}

void CassetteRecorder::OnWindowCreated(RecorderView* createdView) {
  view = createdView;
  window = view->Window();
  TapeLoaded(nullptr);
}

void CassetteRecorder::TapeLoaded(const char* path) {
  recordDisabled = 1;
  char name[DISPLAY_NAME_LENGTH + 1];
  if (path != nullptr) {
    std::strncpy(tapePath, path, sizeof tapePath - 1);
    tapePath[sizeof tapePath - 1] = '\0';
    std::strncpy(name, DisplayName(path), DISPLAY_NAME_LENGTH);
    name[DISPLAY_NAME_LENGTH] = '\0';
  } else {
    tapePath[0] = '\0';
    LoadResourceString(instance, IDS_EMPTY, name, TITLE_LENGTH);
  }
  shownBlock = 0;
  if (view != nullptr) {
    char title[DISPLAY_NAME_LENGTH + 1];
    std::strcpy(title, name);
    const std::size_t used = std::strlen(title);
    if (used < TITLE_LENGTH - 1) {
      LoadResourceString(instance, IDS_TITLE_SUFFIX, title + used, static_cast<int>(TITLE_LENGTH - used));
    }
    view->SetTitle(title);
    FillTableOfContents();
    LayoutStatusBar();
    if (blockList->GetCount() > 0) {
      HighlightBlock(0);
    } else {
      view->SetStatusText(1, "");
    }
  }
  tapeInserted = path != nullptr ? 1 : 0;
  UpdateControls(DECK_STOPPED);
}

void CassetteRecorder::LockControls(bool locked, std::int32_t deckState) {
  controlsLocked = locked ? 1 : 0;
  UpdateControls(deckState);
}

void CassetteRecorder::Reposition() {
  if (host != nullptr && window != nullptr) host->PlaceToolWindow(window, left, top);
}

bool CassetteRecorder::PostCommand(std::uint32_t code, std::uint32_t arg1, std::uint32_t arg2) {
  return queue.PostCommand(code, arg1, arg2);
}

void CassetteRecorder::DrainCommands(TapeDeck& deck) {
  queue.DrainCommands(deck);
  if (reportBlock.exchange(0) != 0) {
    platform::PostWindowMessage(window, WM_TAPE_EVENT, TAPE_EVENT_BLOCK, deck.blockIndex);
  }
}

void CassetteRecorder::FillTableOfContents() {
  if (view == nullptr) return;
  view->BeginRows();
  ViewRows rows(*view);
  FillRows(instance, *blockList, detailedToc != 0, rows);
  view->EndRows();
}

void CassetteRecorder::HighlightBlock(std::int32_t index) {
  if (view == nullptr) return;
  view->SelectRow(-1);
  const std::int32_t count = blockList->GetCount();
  if (index < 0 || index >= count) {
    view->SetStatusText(1, "");
    return;
  }
  // A block before every row highlights nothing.
  const std::int32_t row = blockList->GetBlock(index)->tocRow;
  if (row >= 0 && row < view->RowCount()) view->SelectRow(row);
  char format[STRING_BUDGET];
  char text[ROW_TEXT_LENGTH];
  LoadResourceString(instance, IDS_BLOCK_OF, format, sizeof format);
  std::snprintf(text, sizeof text, format, index + 1, count);
  view->SetStatusText(1, text);
}

void CassetteRecorder::OnRowClicked() {
  if (view == nullptr) return;
  const std::int32_t row = view->SelectedRow();
  if (row >= 0) JumpToRow(row);
}

void CassetteRecorder::JumpToRow(std::int32_t row) {
  if (view == nullptr || row < 0 || row >= view->RowCount()) return;
  PostCommand(CMD_GOTO_BLOCK, static_cast<std::uint32_t>(view->RowParameter(row)), 0);
  reportBlock = 1;
}

void CassetteRecorder::OnTapeEvent(std::uint32_t code, MessageLParam value) {
  switch (code) {
    case TAPE_EVENT_BLOCK:
      return OnBlockEvent(static_cast<std::int32_t>(value));
    case TAPE_EVENT_STATE:
      return OnStateEvent(static_cast<std::int32_t>(value));
    case TAPE_EVENT_MESSAGE:
      return OnTapeMessage(static_cast<std::int32_t>(value));
    case TAPE_EVENT_SELECT:
      return OnSelectBlock(static_cast<std::int32_t>(value));
    case TAPE_EVENT_RECORDED:
      return OnRecordedBlocks(value);
    default:
      return;
  }
}

void CassetteRecorder::OnBlockEvent(std::int32_t index) {
  shownBlock = index;
  HighlightBlock(index);
}

void CassetteRecorder::OnStateEvent(std::int32_t state) {
  shownState = state;
  UpdateControls(state);
}

void CassetteRecorder::OnTapeMessage(std::int32_t blockIndex) {
  ShowMessage(DialogOwner{instance, host}, *blockList, blockIndex);
}

void CassetteRecorder::OnSelectBlock(std::int32_t blockIndex) {
  SelectBlock(DialogOwner{instance, host}, *blockList, blockIndex, queue);
}

void CassetteRecorder::OnRecordedBlocks(MessageLParam recordedBlocks) {
  const auto refill = [](void* self) { static_cast<CassetteRecorder*>(self)->FillTableOfContents(); };
  WriteRecordedBlocks(RecordingTarget{instance, host, window, tapePath, blockList, refill, this},
                      reinterpret_cast<TapeBlock**>(recordedBlocks));
}

void CassetteRecorder::OnSize(std::int32_t width, std::int32_t height) {
  OnMove();
  if (view == nullptr) return;
  const RecorderLayout layout = ArrangeRecorder(width, height, view->MeasureControls(width, height));
  view->PlaceControl(CONTROL_TRANSPORT_TOOLBAR, layout.transport.x, layout.transport.y, layout.transport.width,
                     layout.transport.height);
  view->PlaceControl(CONTROL_OPTIONS_TOOLBAR, layout.options.x, layout.options.y, layout.options.width,
                     layout.options.height);
  view->PlaceControl(CONTROL_TOC_LIST, layout.list.x, layout.list.y, layout.list.width, layout.list.height);
  view->FitColumn();
  LayoutStatusBar();
}

void CassetteRecorder::OnMove() {
  if (host != nullptr && window != nullptr) host->StoreToolWindowPosition(window, &left, &top);
}

void CassetteRecorder::OnClose() {
  if (view != nullptr) view->Show(false);
  showWindow = 0;
  if (host != nullptr && view != nullptr) view->CheckHostButton(host->GetToolbar(), menuCommandId, false);
}

void CassetteRecorder::OnDestroy() { SaveSettings(); }

void CassetteRecorder::OnNcDestroy() {
  window = nullptr;
  if (ownerSlot != nullptr) *ownerSlot = nullptr;
  delete this;
}

bool CassetteRecorder::HostDefault(std::uint32_t message, MessageWParam wParam, MessageLParam lParam,
                                   MessageResult* result) {
  if (host == nullptr) return false;
  *result = host->DefWindowProc(window, message, wParam, lParam, &hostMessageState);
  return true;
}

}  // namespace reelbox

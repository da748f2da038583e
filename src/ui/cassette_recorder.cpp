#include "ui/cassette_recorder.h"

#include <cstring>

#include "engine/tape_deck.h"
#include "platform/window_messages.h"
#include "ui/tape_dialogs.h"

namespace reelbox {
namespace {

constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_NCDESTROY = 0x0082;

}  // namespace

CassetteRecorder::CassetteRecorder(ModuleHandle instance, TapeBlockList* blockList)
    : instance(instance), blockList(blockList) {}

CassetteRecorder::~CassetteRecorder() { SafeRelease(host); }

WindowHandle CassetteRecorder::Create(WindowHandle owner, IHostShell* shell) {
  host = shell;
  if (host != nullptr) host->AddRef();
  window = platform::CreateMessageWindow(owner, &CassetteRecorder::WindowProcedure, this);
  if (window == nullptr) return nullptr;
  LoadSettings();
  TapeLoaded(nullptr);
  return window;
}

void CassetteRecorder::TapeLoaded(const char* path) {
  recordDisabled = 1;
  if (path == nullptr) {
    tapeInserted = 0;
    tapePath[0] = '\0';
  } else {
    tapeInserted = 1;
    std::strncpy(tapePath, path, sizeof tapePath - 1);
    tapePath[sizeof tapePath - 1] = '\0';
  }
  shownBlock = 0;
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

MessageResult CassetteRecorder::WindowProcedure(void* context, WindowHandle /*window*/, std::uint32_t message,
                                                MessageWParam wParam, MessageLParam lParam) {
  return static_cast<CassetteRecorder*>(context)->OnMessage(message, wParam, lParam);
}

MessageResult CassetteRecorder::OnMessage(std::uint32_t message, MessageWParam wParam, MessageLParam lParam) {
  if (message == WM_TAPE_EVENT) {
    OnTapeEvent(static_cast<std::uint32_t>(wParam), lParam);
    return 0;
  }
  if (message == WM_DESTROY) SaveSettings();
  if (message == WM_NCDESTROY) {
    window = nullptr;
    if (ownerSlot != nullptr) *ownerSlot = nullptr;
    delete this;
  }
  return 0;
}

void CassetteRecorder::OnTapeEvent(std::uint32_t code, MessageLParam value) {
  switch (code) {
    case TAPE_EVENT_BLOCK:
      shownBlock = static_cast<std::int32_t>(value);
      break;
    case TAPE_EVENT_STATE:
      shownState = static_cast<std::int32_t>(value);
      break;
    case TAPE_EVENT_MESSAGE:
      ShowMessage(DialogOwner{instance, host}, *blockList, static_cast<std::int32_t>(value));
      break;
    case TAPE_EVENT_SELECT:
      SelectBlock(DialogOwner{instance, host}, *blockList, static_cast<std::int32_t>(value), queue);
      break;
    default:
      break;
  }
}

}  // namespace reelbox

// Offering to browse for a linked tape that is no longer where the snapshot
// says.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/message_box.h"
#include "platform/open_file_dialog.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "snapshot/tape_snapshot.h"

namespace reelbox {
namespace {

constexpr const char* FOLDER_KEY = "Settings";
constexpr const char* LAST_FOLDER = "Last Folder";
constexpr std::uint32_t FOLDER_CHARS = 260;
constexpr const char* TAPE_PATTERNS = "*.tap;*.blk;*.tzx;*.csw;*.voc;*.wav";

bool AskToBrowse(IHostShell* shell, ModuleHandle module, const char* path) {
  char format[256];
  char caption[64];
  LoadResourceString(module, IDS_TAPE_NOT_FOUND, format, sizeof format);
  LoadResourceString(module, IDS_CAPTION, caption, sizeof caption);
  const std::size_t size = sizeof format + std::strlen(path);
  std::unique_ptr<char[]> text(new (std::nothrow) char[size]);
  if (text == nullptr) return false;
  std::snprintf(text.get(), size, format, path);
  const std::uint32_t style = platform::MESSAGE_BOX_YES_NO | platform::MESSAGE_BOX_ICON_QUESTION;
  return platform::ShowMessageBox(shell->GetMainWindow(), text.get(), caption, style) == platform::ANSWER_YES;
}

// The file chosen in the open-file dialog, which starts in the last folder
// browsed; false when cancelled.
bool ChooseTapeFile(IHostShell* shell, ModuleHandle module, std::string* chosen, std::string* folder) {
  char lastFolder[FOLDER_CHARS] = {};
  if (Failed(shell->GetSettingString(FOLDER_KEY, LAST_FOLDER, lastFolder, FOLDER_CHARS))) lastFolder[0] = '\0';
  lastFolder[FOLDER_CHARS - 1] = '\0';
  char description[256];
  LoadResourceString(module, IDS_FILTER_TEXT, description, sizeof description);
  shell->BeforeModalDialog();
  const platform::OpenFileRequest request{shell->GetMainWindow(), lastFolder, description, TAPE_PATTERNS};
  return platform::AskForFileToOpen(request, chosen, folder);
}

}  // namespace

HResult BrowseForMissingTape(IHostShell* shell, ModuleHandle module, IMediaHandler* handler, IMediaHost* media,
                             const char* path, HResult failure, bool* opened) {
  *opened = false;
  void* registry = nullptr;
  if (shell == nullptr || Failed(shell->QueryInterface(IID_IHostRegistry, &registry))) return failure;
  HResult result = RESULT_OK;
  std::string chosen;
  std::string folder;
  if (AskToBrowse(shell, module, path) && ChooseTapeFile(shell, module, &chosen, &folder)) {
    result = handler->OpenMedia(chosen.c_str(), media, 0);
    *opened = Succeeded(result);
    if (*opened) shell->SetSettingString(FOLDER_KEY, LAST_FOLDER, folder.c_str());
  }
  static_cast<IHostRegistry*>(registry)->Release();
  return result;
}

}  // namespace reelbox

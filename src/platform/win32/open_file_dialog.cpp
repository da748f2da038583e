#include "platform/open_file_dialog.h"

// clang-format off
#include <windows.h>
#include <commdlg.h>  // needs windows.h first
// clang-format on

namespace reelbox::platform {

bool AskForFileToOpen(const OpenFileRequest& request, std::string* path, std::string* folder) {
  // The filter: description and patterns, each ending in a NUL, and a final NUL.
  std::string filter = std::string(request.description) + '\0' + request.patterns + '\0' + '\0';
  char chosen[MAX_PATH] = {};
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(request.owner);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = chosen;
  dialog.nMaxFile = sizeof chosen;
  dialog.lpstrInitialDir = request.initialFolder[0] != '\0' ? request.initialFolder : nullptr;
  dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameA(&dialog)) return false;
  *path = chosen;
  // The dialog leaves the chosen file's folder current.
  char current[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(sizeof current, current);
  if (length > 0 && length < sizeof current) {
    *folder = current;
  } else {
    *folder = path->substr(0, path->rfind('\\'));
  }
  return true;
}

}  // namespace reelbox::platform

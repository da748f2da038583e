#include "platform/private_folder.h"

// clang-format off
#include <windows.h>
#include <shlobj.h>  // needs windows.h first
// clang-format on

#include "platform/system_error.h"

namespace reelbox::platform {
namespace {

// Creates one folder; one that exists already is fine.
HResult MakeFolder(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return RESULT_OK;
  return LastErrorResult();
}

}  // namespace

bool PrivateTapeFolderPath(std::string* folder) {
  char base[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base))) return false;
  *folder = std::string(base) + "\\Kestrelix\\Reelbox\\";
  return true;
}

HResult MakePrivateTapeFolder(std::string* folder) {
  if (!PrivateTapeFolderPath(folder)) return ResultFromSystemError(ERROR_PATH_NOT_FOUND);
  const std::size_t reelbox = folder->size() - 1;
  const std::size_t kestrelix = folder->rfind('\\', reelbox - 1);
  HResult result = MakeFolder(folder->substr(0, kestrelix));
  if (Succeeded(result)) result = MakeFolder(folder->substr(0, reelbox));
  return result;
}

HResult ReserveUniqueFileName(const std::string& folder, const char* prefix, std::string* path) {
  char name[MAX_PATH];
  if (GetTempFileNameA(folder.c_str(), prefix, 0, name) == 0) return LastErrorResult();
  *path = name;
  return RESULT_OK;
}

void DeleteFolderEntries(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA((folder + "*.*").c_str(), &entry);
  if (listing == INVALID_HANDLE_VALUE) return;
  do {
    if (entry.cFileName[0] != '.') DeleteFileA((folder + entry.cFileName).c_str());
  } while (FindNextFileA(listing, &entry));
  FindClose(listing);
}

bool DeleteFileAt(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

}  // namespace reelbox::platform

#include "platform/private_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/errno_error.h"

namespace reelbox::platform {
namespace {

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
bool DataHome(std::string* folder) {
  const char* data = getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') {
    *folder = data;
    return true;
  }
  const char* home = getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') return false;
  *folder = std::string(home) + "/.local/share";
  return true;
}

// Creates path and every missing folder above it; an existing folder is fine.
HResult MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return FailFromErrno();
    if (slash == std::string::npos) return RESULT_OK;
  }
}

}  // namespace

bool PrivateTapeFolderPath(std::string* folder) {
  std::string base;
  if (!DataHome(&base)) return false;
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  *folder = base + "/Kestrelix/Reelbox/";
  return true;
}

HResult MakePrivateTapeFolder(std::string* folder) {
  if (!PrivateTapeFolderPath(folder)) return ResultFromSystemError(3);  // ERROR_PATH_NOT_FOUND
  HResult result = MakeFolders(folder->substr(0, folder->size() - 1));
  if (Failed(result)) return result;
  struct stat status;
  if (stat(folder->c_str(), &status) != 0) return FailFromErrno();
  return S_ISDIR(status.st_mode) ? RESULT_OK : ResultFromSystemError(3);
}

HResult ReserveUniqueFileName(const std::string& folder, const char* prefix, std::string* path) {
  std::string name = folder + prefix + "XXXXXX.tmp";
  const int fd = mkostemps(&name[0], 4, O_CLOEXEC);
  if (fd < 0) return FailFromErrno();
  ::close(fd);
  *path = name;
  return RESULT_OK;
}

void DeleteFolderEntries(const std::string& folder) {
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = readdir(listing)) {
    if (entry->d_name[0] == '.') continue;
    const std::string path = folder + entry->d_name;
    if (unlink(path.c_str()) != 0) rmdir(path.c_str());
  }
  closedir(listing);
}

bool DeleteFileAt(const std::string& path) { return unlink(path.c_str()) == 0; }

}  // namespace reelbox::platform

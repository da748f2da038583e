// The per-user folder where tapes taken out of snapshots are kept, and the
// few file operations it needs.
#pragma once

#include <string>

#include "contract/com.h"

namespace reelbox::platform {

// The folder "Kestrelix/Reelbox" under the user's local application-data
// folder (natively $XDG_DATA_HOME, by default ~/.local/share), created with
// its parents when absent. *folder receives its path with a trailing separator.
HResult MakePrivateTapeFolder(std::string* folder);

// The same path, without creating anything; false when the base folder is unknown.
bool PrivateTapeFolderPath(std::string* folder);

// Creates a new, empty file with a unique name that starts with prefix (up to
// three characters) and ends in ".tmp" in folder; *path receives its path.
HResult ReserveUniqueFileName(const std::string& folder, const char* prefix, std::string* path);

// Deletes every entry of folder whose name does not begin with "."; the
// folder itself stays.
void DeleteFolderEntries(const std::string& folder);

// Deletes one file; false when it could not be deleted.
bool DeleteFileAt(const std::string& path);

}  // namespace reelbox::platform

// The system's dialog for choosing a file to open.
#pragma once

#include <cstdint>
#include <string>

#include "contract/com.h"

namespace reelbox::platform {

struct OpenFileRequest {
  WindowHandle owner;
  const char* initialFolder;  // empty for the system's choice
  const char* description;    // the filter's description
  const char* patterns;       // the filter's patterns, e.g. "*.tap;*.tzx"
};

// Asks for an existing file; true when one was chosen: *path receives it and
// *folder the folder the dialog left current. False when cancelled.
bool AskForFileToOpen(const OpenFileRequest& request, std::string* path, std::string* folder);

}  // namespace reelbox::platform

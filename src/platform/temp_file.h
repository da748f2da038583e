// Temporary files: a unique name in the system's temporary folder, gone when closed.
#pragma once

#include "platform/file.h"

namespace reelbox::platform {

// Creates a new file in the temporary folder and opens it for reading and
// writing, shared with nobody; closing it deletes it. prefix: up to three
// characters that start its name.
HResult CreateTemporaryFile(const char* prefix, File* file);

}  // namespace reelbox::platform

#include "platform/temp_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "platform/posix/errno_error.h"

namespace reelbox::platform {

// mkstemp makes the name unique and opens the file for this process alone;
// unlinking it at once leaves a file that disappears with its last descriptor.
HResult CreateTemporaryFile(const char* prefix, File* file) {
  const char* folder = getenv("TMPDIR");
  if (folder == nullptr || folder[0] == '\0') folder = "/tmp";
  std::string name = std::string(folder) + "/" + prefix + "XXXXXX";
  int fd = mkostemp(&name[0], O_CLOEXEC);
  if (fd < 0) return FailFromErrno();
  unlink(name.c_str());
  *file = File(static_cast<NativeFileHandle>(fd));
  return RESULT_OK;
}

}  // namespace reelbox::platform

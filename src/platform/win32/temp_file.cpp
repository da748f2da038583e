#include "platform/temp_file.h"

#include <windows.h>

#include "platform/system_error.h"

namespace reelbox::platform {

// GetTempFileNameA creates the file to reserve its unique name; reopening it
// with FILE_FLAG_DELETE_ON_CLOSE makes the system delete it with the last handle.
HResult CreateTemporaryFile(const char* prefix, File* file) {
  char folder[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > sizeof folder) return LastErrorResult();
  char name[MAX_PATH];
  if (GetTempFileNameA(folder, prefix, 0, name) == 0) return LastErrorResult();
  HANDLE handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const HResult result = LastErrorResult();
    DeleteFileA(name);
    return result;
  }
  *file = File(reinterpret_cast<NativeFileHandle>(handle));
  return RESULT_OK;
}

}  // namespace reelbox::platform

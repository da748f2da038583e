#include "platform/system_error.h"

#include "platform/posix/errno_error.h"

#include <cerrno>

namespace reelbox::platform {
namespace {

// errno values in Windows numbering, so that a file problem gives the same
// result code on both builds.
std::int32_t WindowsErrorFromErrno(int error) {
  switch (error) {
    case 0: return 0;
    case ENOENT: return 2;         // ERROR_FILE_NOT_FOUND
    case ENOTDIR: return 3;        // ERROR_PATH_NOT_FOUND
    case EMFILE:
    case ENFILE: return 4;         // ERROR_TOO_MANY_OPEN_FILES
    case EACCES:
    case EPERM:
    case EROFS: return 5;          // ERROR_ACCESS_DENIED
    case EBADF: return 6;          // ERROR_INVALID_HANDLE
    case ENOMEM: return 8;         // ERROR_NOT_ENOUGH_MEMORY
    case EIO: return 1117;         // ERROR_IO_DEVICE
    case EEXIST: return 80;        // ERROR_FILE_EXISTS
    case EINVAL: return 87;        // ERROR_INVALID_PARAMETER
    case ENOSPC: return 112;       // ERROR_DISK_FULL
    case ENAMETOOLONG: return 206; // ERROR_FILENAME_EXCED_RANGE
    case EISDIR: return 5;         // opening a folder as a file: access denied on Windows
    case EBUSY: return 32;         // ERROR_SHARING_VIOLATION
    case EFBIG: return 223;        // ERROR_FILE_TOO_LARGE
    case ENODEV:
    case ENXIO: return 21;         // ERROR_NOT_READY
    default: return 31;            // ERROR_GEN_FAILURE
  }
}

// Like the Windows thread's last-error value: set by each failing service.
thread_local std::int32_t lastError = 0;

}  // namespace

std::int32_t LastSystemError() { return lastError; }

void SetLastSystemError(std::int32_t error) { lastError = error; }

HResult FailFromErrno() {
  lastError = WindowsErrorFromErrno(errno);
  return LastErrorResult();
}

}  // namespace reelbox::platform

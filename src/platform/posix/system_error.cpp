#include "platform/system_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/posix/errno_error.h"

namespace reelbox::platform {
namespace {

struct ErrorPair {
  int errnoValue;
  std::int32_t windowsError;
};

// errno values in Windows numbering, so that a file problem gives the same
// result code on both builds. Read from the top, the first pair of a Windows
// code also gives the errno whose text describes it.
constexpr ErrorPair ERROR_PAIRS[] = {
    {ENOENT, 2},                                    // ERROR_FILE_NOT_FOUND
    {ENOTDIR, 3},                                   // ERROR_PATH_NOT_FOUND
    {EMFILE, 4},                                    // ERROR_TOO_MANY_OPEN_FILES
    {ENFILE, 4},         {EACCES, 5},               // ERROR_ACCESS_DENIED
    {EPERM, 5},          {EROFS, 5},  {EISDIR, 5},  // opening a folder as a file: access denied on Windows
    {EBADF, 6},                                     // ERROR_INVALID_HANDLE
    {ENOMEM, 8},                                    // ERROR_NOT_ENOUGH_MEMORY
    {EIO, 1117},                                    // ERROR_IO_DEVICE
    {EEXIST, 80},                                   // ERROR_FILE_EXISTS
    {EINVAL, 87},                                   // ERROR_INVALID_PARAMETER
    {ENOSPC, 112},                                  // ERROR_DISK_FULL
    {ENAMETOOLONG, 206},                            // ERROR_FILENAME_EXCED_RANGE
    {EBUSY, 32},                                    // ERROR_SHARING_VIOLATION
    {EFBIG, 223},                                   // ERROR_FILE_TOO_LARGE
    {ENODEV, 21},                                   // ERROR_NOT_READY
    {ENXIO, 21},
};
constexpr std::int32_t GENERAL_FAILURE = 31;  // ERROR_GEN_FAILURE

std::int32_t WindowsErrorFromErrno(int error) {
  if (error == 0) return 0;
  for (const ErrorPair& pair : ERROR_PAIRS) {
    if (pair.errnoValue == error) return pair.windowsError;
  }
  return GENERAL_FAILURE;
}

// 0 when no errno stands for the code.
int ErrnoFromWindowsError(std::int32_t error) {
  for (const ErrorPair& pair : ERROR_PAIRS) {
    if (pair.windowsError == error) return pair.errnoValue;
  }
  return 0;
}

// Like the Windows thread's last-error value: set by each failing service.
thread_local std::int32_t lastError = 0;

}  // namespace

std::int32_t LastSystemError() { return lastError; }

void SetLastSystemError(std::int32_t error) { lastError = error; }

// The C library's text for the matching errno, which is what this system
// says about the problem.
int SystemErrorText(std::int32_t error, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const int number = ErrnoFromWindowsError(error);
  const int written = number != 0 ? std::snprintf(buffer, static_cast<std::size_t>(size), "%s", std::strerror(number))
                                  : std::snprintf(buffer, static_cast<std::size_t>(size), "Error %d", error);
  return written < 0 ? 0 : (written < size ? written : size - 1);
}

HResult FailFromErrno() {
  lastError = WindowsErrorFromErrno(errno);
  return LastErrorResult();
}

}  // namespace reelbox::platform

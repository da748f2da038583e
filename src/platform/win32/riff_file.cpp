#include "platform/riff_file.h"

#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include "platform/system_error.h"

namespace reelbox::platform {
namespace {

HMMIO Mmio(void* handle) { return static_cast<HMMIO>(handle); }

// The multimedia services report why a file did not open in their own
// numbering; the system error of the same meaning.
std::int32_t SystemErrorOf(UINT mmioError) {
  switch (mmioError) {
    case MMIOERR_FILENOTFOUND:
      return ERROR_FILE_NOT_FOUND;
    case MMIOERR_PATHNOTFOUND:
      return ERROR_PATH_NOT_FOUND;
    case MMIOERR_ACCESSDENIED:
      return ERROR_ACCESS_DENIED;
    case MMIOERR_SHARINGVIOLATION:
      return ERROR_SHARING_VIOLATION;
    case MMIOERR_TOOMANYOPENFILES:
      return ERROR_TOO_MANY_OPEN_FILES;
    case MMIOERR_OUTOFMEMORY:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return static_cast<std::int32_t>(GetLastError() != 0 ? GetLastError() : ERROR_OPEN_FAILED);
  }
}

MMCKINFO ToMmio(const RiffChunk& chunk) {
  MMCKINFO info = {};
  info.ckid = chunk.id;
  info.cksize = chunk.size;
  info.fccType = chunk.formType;
  info.dwDataOffset = chunk.dataOffset;
  return info;
}

void FromMmio(const MMCKINFO& info, RiffChunk* chunk) {
  chunk->id = info.ckid;
  chunk->size = info.cksize;
  chunk->formType = info.fccType;
  chunk->dataOffset = info.dwDataOffset;
}

}  // namespace

RiffFile::~RiffFile() { Close(); }

HResult RiffFile::Open(const char* path) {
  Close();
  MMIOINFO info = {};
  HMMIO mmio = mmioOpenA(const_cast<char*>(path), &info, MMIO_READ | MMIO_ALLOCBUF);
  if (mmio == nullptr) return ResultFromSystemError(SystemErrorOf(info.wErrorRet));
  handle_ = mmio;
  return RESULT_OK;
}

void RiffFile::Close() {
  if (handle_ != nullptr) mmioClose(Mmio(handle_), 0);
  handle_ = nullptr;
}

bool RiffFile::DescendIntoForm(std::uint32_t formType, RiffChunk* chunk) {
  MMCKINFO info = {};
  info.fccType = formType;
  if (mmioDescend(Mmio(handle_), &info, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return false;
  FromMmio(info, chunk);
  return true;
}

bool RiffFile::DescendIntoChunk(std::uint32_t id, const RiffChunk& parent, RiffChunk* chunk) {
  MMCKINFO parentInfo = ToMmio(parent);
  MMCKINFO info = {};
  info.ckid = id;
  if (mmioDescend(Mmio(handle_), &info, &parentInfo, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return false;
  FromMmio(info, chunk);
  return true;
}

bool RiffFile::Ascend(const RiffChunk& chunk) {
  MMCKINFO info = ToMmio(chunk);
  return mmioAscend(Mmio(handle_), &info, 0) == MMSYSERR_NOERROR;
}

bool RiffFile::Read(void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
  LONG got = mmioRead(Mmio(handle_), static_cast<HPSTR>(buffer), static_cast<LONG>(count));
  *bytesRead = got > 0 ? static_cast<std::uint32_t>(got) : 0;
  return got >= 0;
}

bool RiffFile::Position(std::uint32_t* position) {
  LONG at = mmioSeek(Mmio(handle_), 0, SEEK_CUR);
  if (at < 0) return false;
  *position = static_cast<std::uint32_t>(at);
  return true;
}

bool RiffFile::Size(std::uint64_t* size) {
  const LONG here = mmioSeek(Mmio(handle_), 0, SEEK_CUR);
  const LONG end = mmioSeek(Mmio(handle_), 0, SEEK_END);
  if (here < 0 || end < 0 || mmioSeek(Mmio(handle_), here, SEEK_SET) < 0) return false;
  *size = static_cast<std::uint64_t>(end);
  return true;
}

}  // namespace reelbox::platform

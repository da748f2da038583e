// New tape files: an empty TAP file, or a TZX file holding its header and a
// text block, which then becomes the current tape.
#include "platform/file.h"
#include "platform/system_error.h"
#include "record/tape_file_writer.h"
#include "shell/tape_plugin.h"

namespace reelbox {

HResult TapePlugin::CreateMedia(std::uint32_t, const char* path, IMediaHost* media) {
  if (path == nullptr || path[0] == '\0') return RESULT_FAIL;
  platform::File file;
  HResult result = file.CreateExclusive(path);
  if (Failed(result)) return result;
  std::uint8_t header[NEW_FILE_HEADER_MAX];
  const std::uint32_t size = NewTapeFileHeader(RecordFormatOf(path), header);
  if (size > 0) result = file.Write(header, size);
  file.Close();
  if (Failed(result)) {
    platform::DeleteFileAt(path);
    return result;
  }
  return OpenMedia(path, media, 0);
}

}  // namespace reelbox

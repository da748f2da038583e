#include "tape/tape_opener.h"

#include <cstring>

#include "tape/ascii_text.h"
#include "tape/csw_reader.h"
#include "tape/tap_reader.h"
#include "tape/tzx_reader.h"
#include "tape/voc_reader.h"
#include "tape/wav_reader.h"

namespace reelbox {

TapeFormat FormatFromPath(const char* path) {
  if (path == nullptr || path[0] == '\0') return TapeFormat::Unknown;
  const char* extension = path;
  for (std::size_t i = std::strlen(path) - 1; i > 0; --i) {
    if (path[i] == '.') {
      extension = path + i;
      break;
    }
  }
  struct Entry {
    const char* extension;
    TapeFormat format;
  };
  static constexpr Entry FORMATS[] = {{".tap", TapeFormat::Tap}, {".blk", TapeFormat::Tap}, {".csw", TapeFormat::Csw},
                                      {".voc", TapeFormat::Voc}, {".wav", TapeFormat::Wav}, {".tzx", TapeFormat::Tzx}};
  for (const Entry& entry : FORMATS) {
    if (EqualsIgnoringCase(extension, entry.extension)) return entry.format;
  }
  return TapeFormat::Unknown;
}

HResult ReadTapeFile(TapeBlockList& list, TapeFormat format, const char* path, ICompressionService* compression) {
  switch (format) {
    case TapeFormat::Tap:
      return ReadTapFile(list, path);
    case TapeFormat::Tzx:
      return ReadTzxFile(list, path);
    case TapeFormat::Csw:
      return ReadCswFile(list, path, compression);
    case TapeFormat::Voc:
      return ReadVocFile(list, path);
    case TapeFormat::Wav:
      return ReadWavFile(list, path);
    case TapeFormat::Unknown:
      break;
  }
  return TAPE_E_UNKNOWNTYPE;
}

bool FileNameHasTilde(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return std::strchr(name, '~') != nullptr;
}

}  // namespace reelbox

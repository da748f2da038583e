// SaveState: the current tape as a TAPE chunk, linked by its path or embedded.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/file.h"
#include "platform/message_box.h"
#include "platform/wait_cursor.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "snapshot/tape_snapshot.h"
#include "tape/ascii_text.h"
#include "ui/cassette_recorder.h"

namespace reelbox {
namespace {

constexpr std::uint32_t SAVE_FLAG_UNSUPPORTED = 1;
constexpr std::uint64_t CHUNK_SLACK = 37 + 260;

bool IsCompactTapeExtension(const char* extension) {
  for (const char* known : {"tap", "blk", "tzx"}) {
    if (EqualsIgnoringCase(extension, known)) return true;
  }
  return false;
}

// Embedding a file that may be large is confirmed first.
bool ConfirmEmbedding(IHostShell* shell, ModuleHandle module, const char* name) {
  char format[512];
  char caption[64];
  LoadResourceString(module, IDS_EMBED_LARGE_FILE, format, sizeof format);
  LoadResourceString(module, IDS_CAPTION, caption, sizeof caption);
  std::unique_ptr<char[]> text(new (std::nothrow) char[sizeof format + std::strlen(name)]);
  if (text == nullptr) return false;
  std::snprintf(text.get(), sizeof format + std::strlen(name), format, name);
  const WindowHandle owner = shell != nullptr ? shell->GetMainWindow() : nullptr;
  const std::uint32_t style =
      platform::MESSAGE_BOX_YES_NO | platform::MESSAGE_BOX_ICON_WARNING | platform::MESSAGE_BOX_DEFAULT_BUTTON_2;
  return platform::ShowMessageBox(owner, text.get(), caption, style) == platform::ANSWER_YES;
}

// A tape taken out of a snapshot ("~" in its name) is always embedded again.
bool ChooseEmbedding(const char* path, const char* extension, const TapeSaveOptions& options) {
  const char* name = FileNamePart(path);
  if (std::strchr(name, '~') != nullptr) return true;
  if (!options.embedTape) return false;
  if (!options.warnEmbedLargeFiles || IsCompactTapeExtension(extension)) return true;
  return ConfirmEmbedding(options.shell, options.module, name);
}

// The file's bytes after the header, compressed at the service's level 9, or
// plain when compression does not make them smaller.
HResult EmbedFile(const platform::File& file, std::uint64_t size, ICompressionService* service, std::uint8_t* chunk,
                  std::uint32_t capacity) {
  std::unique_ptr<platform::MappedView> view;
  HResult result = platform::MapReadOnly(file, size, &view);
  if (Failed(result)) return result;
  const auto fileSize = static_cast<std::uint32_t>(size);
  std::uint32_t stored = capacity;
  {
    platform::WaitCursor wait;
    result = service->Compress(view->Data(), fileSize, chunk + TAPE_CHUNK_HEADER, &stored);
  }
  if (Failed(result)) return result;
  std::uint16_t flags = TAPE_FLAG_EMBEDDED;
  if (stored < fileSize) {
    flags |= TAPE_FLAG_COMPRESSED;
  } else {
    std::memcpy(chunk + TAPE_CHUNK_HEADER, view->Data(), fileSize);
    stored = fileSize;
  }
  PutU16(chunk + TAPE_AT_FLAGS, flags);
  PutU32(chunk + TAPE_AT_UNCOMPRESSED, fileSize);
  PutU32(chunk + TAPE_AT_STORED, stored);
  PutU32(chunk + TAPE_AT_SIZE, TAPE_CHUNK_FIXED + stored);
  return RESULT_OK;
}

void LinkFile(const char* path, std::uint8_t* chunk) {
  const auto length = static_cast<std::uint32_t>(std::strlen(path) + 1);
  std::memcpy(chunk + TAPE_CHUNK_HEADER, path, length);
  PutU32(chunk + TAPE_AT_STORED, length);
  PutU32(chunk + TAPE_AT_SIZE, TAPE_CHUNK_FIXED + length);
}

}  // namespace

HResult SaveTapeChunk(const CassetteRecorder* recorder, std::int32_t currentBlock, const TapeSaveOptions& options,
                      ISnapshotWriter* writer, IMediaHost* media, std::uint32_t flags) {
  if (recorder == nullptr || recorder->tapeInserted == 0) return RESULT_OK;
  if ((flags & SAVE_FLAG_UNSUPPORTED) != 0) return RESULT_NOTIMPL;
  if (media == nullptr || writer == nullptr) return RESULT_FAIL;
  void* service = nullptr;
  HResult result = media->QueryInterface(IID_ICompressionService, &service);
  if (Failed(result)) return result;
  auto* compression = static_cast<ICompressionService*>(service);

  const char* path = recorder->tapePath;
  platform::File file;
  std::uint64_t size = 0;
  result = file.OpenForSequentialRead(path);
  if (Succeeded(result)) result = file.GetSize(&size);
  const std::uint64_t bytes = CHUNK_SLACK + size + size / 10;
  std::unique_ptr<std::uint8_t[]> chunk;
  if (Succeeded(result)) {
    if (bytes <= 0xFFFFFFFFu) chunk.reset(new (std::nothrow) std::uint8_t[bytes]);
    if (chunk == nullptr) result = RESULT_OUTOFMEMORY;
  }
  if (Succeeded(result)) {
    StartTapeChunk(chunk.get());
    char extension[TAPE_EXTENSION_FIELD];
    ExtensionForChunk(path, extension);
    std::memcpy(chunk.get() + TAPE_AT_EXTENSION, extension, sizeof extension);
    if (ChooseEmbedding(path, extension, options)) {
      const auto capacity = static_cast<std::uint32_t>(bytes - TAPE_CHUNK_HEADER);
      result = EmbedFile(file, size, compression, chunk.get(), capacity);
    } else {
      LinkFile(path, chunk.get());
    }
  }
  if (Succeeded(result)) {
    PutU16(chunk.get() + TAPE_AT_BLOCK, static_cast<std::uint16_t>(currentBlock));
    const std::uint32_t chunkBytes = 8 + GetU32(chunk.get() + TAPE_AT_SIZE);
    result = writer->WriteChunk(TAPE_CHUNK_ID, chunk.get(), chunkBytes);
  }
  file.Close();
  compression->Release();
  return result;
}

}  // namespace reelbox

#include "ui/recorded_blocks_writer.h"

#include <cstdio>
#include <new>

#include "engine/tape_deck.h"
#include "platform/cursor.h"
#include "platform/file.h"
#include "platform/message_box.h"
#include "platform/os_version.h"
#include "platform/system_error.h"
#include "platform/window_messages.h"
#include "record/tape_file_writer.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "tape/tape_opener.h"

namespace reelbox {
namespace {

constexpr std::uint32_t PLATFORM_NT = 2;
constexpr int TEXT_MAX = 260;
constexpr std::uint32_t TURBO_OVERHEAD = 21;  // id, timings, pause, length, flag, checksum

const char* FileNameOf(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/') name = p + 1;
  }
  return name;
}

WindowHandle MessageOwner(const RecordingTarget& target) {
  return target.host != nullptr ? target.host->GetMainWindow() : nullptr;
}

// The head block leaves the list: into the tape when written, else freed.
TapeBlock* TakeHead(TapeBlock** list) {
  TapeBlock* block = *list;
  *list = block->next;
  block->next = nullptr;
  return block;
}

void AppendToTape(TapeBlockList& tape, TapeBlock* block) {
  try {
    tape.Append(block);
  } catch (const std::bad_alloc&) {
    FreeBlock(block);  // in the file; the tape shows it once it is read again
  }
}

// A block too long for a TAP record is not written; the user is told so.
void RefuseBlock(const RecordingTarget& target, const TapeBlock& block) {
  char format[TEXT_MAX];
  char text[2 * TEXT_MAX];
  char title[64];
  LoadResourceString(target.instance, IDS_BLOCK_TOO_LONG_FOR_TAP, format, sizeof format);
  LoadResourceString(target.instance, IDS_CAPTION, title, sizeof title);
  const std::uint32_t saved = block.size > TURBO_OVERHEAD ? block.size - TURBO_OVERHEAD : 0;
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(saved), FileNameOf(target.tapePath));
  platform::ShowMessageBox(MessageOwner(target), text, title,
                           platform::MESSAGE_BOX_OK | platform::MESSAGE_BOX_ICON_WARNING);
}

// Opens the file, asking again while the user chooses Retry; false on Cancel.
bool OpenTapeFile(const RecordingTarget& target, platform::File& file) {
  while (Failed(file.OpenExistingForWrite(target.tapePath))) {
    const std::int32_t error = platform::LastSystemError();
    if (ShowUpdateError(target, error, platform::MESSAGE_BOX_RETRY_CANCEL) != platform::ANSWER_RETRY) return false;
  }
  return true;
}

// Writes one record at the end of the file, asking again while the user
// chooses Retry; false on Cancel.
bool WriteRecord(const RecordingTarget& target, const platform::File& file, const std::uint8_t* bytes,
                 std::uint32_t size) {
  for (;;) {
    std::uint64_t end = 0;
    HResult result = file.SeekToEnd(&end);
    if (Succeeded(result)) result = AppendRecord(file, end, bytes, size);
    if (result >= 0) return true;
    const std::int32_t error = static_cast<std::int32_t>(static_cast<std::uint32_t>(result) & 0xFFFF);
    if (ShowUpdateError(target, error, platform::MESSAGE_BOX_RETRY_CANCEL) != platform::ANSWER_RETRY) return false;
  }
}

// Writes blocks from the head of the list until it is empty or the user
// cancels; each block written moves into the tape.
void AppendBlocksToFile(const RecordingTarget& target, TapeBlock** list) {
  platform::File file;
  if (!OpenTapeFile(target, file)) return;
  const RecordFormat format = RecordFormatOf(target.tapePath);
  while (*list != nullptr) {
    const std::uint8_t* bytes = nullptr;
    std::uint32_t size = 0;
    if (!RecordOf(**list, format, &bytes, &size)) {
      RefuseBlock(target, **list);
      FreeBlock(TakeHead(list));
      continue;
    }
    if (!WriteRecord(target, file, bytes, size)) break;
    AppendToTape(*target.blockList, TakeHead(list));
  }
}

void FreeBlocks(TapeBlock** list) {
  while (*list != nullptr) FreeBlock(TakeHead(list));
}

}  // namespace

void WriteRecordedBlocks(const RecordingTarget& target, TapeBlock** list) {
  if (list == nullptr || *list == nullptr) return;
  const std::uint32_t previousModal = target.host != nullptr ? target.host->SetModalState(0) : 0;
  const platform::CursorShape cursor = platform::ShowWaitCursor();
  // Later recorded events refer to the same list, whose blocks go now.
  platform::RemovePendingMessages(target.window, WM_TAPE_EVENT);

  // Systems other than NT cannot write a file that the tape holds mapped:
  // the tape lets go of it and reads it again afterwards.
  const bool keepTape = platform::GetOsVersion().platformId == PLATFORM_NT;
  if (!keepTape) target.blockList->Clear();
  AppendBlocksToFile(target, list);
  if (!keepTape) ReadTapeFile(*target.blockList, FormatFromPath(target.tapePath), target.tapePath, nullptr);
  if (target.refillTableOfContents != nullptr) target.refillTableOfContents(target.context);
  FreeBlocks(list);

  platform::RestoreCursor(cursor);
  if (previousModal != 0 && target.host != nullptr) target.host->SetModalState(1);
}

std::int32_t ShowUpdateError(const RecordingTarget& target, std::int32_t error, std::uint32_t buttons) {
  char systemText[TEXT_MAX];
  char format[TEXT_MAX];
  char text[3 * TEXT_MAX];
  char title[64];
  platform::SystemErrorText(error, systemText, sizeof systemText);
  LoadResourceString(target.instance, IDS_CANNOT_UPDATE, format, sizeof format);
  LoadResourceString(target.instance, IDS_CAPTION, title, sizeof title);
  std::snprintf(text, sizeof text, format, FileNameOf(target.tapePath), systemText);
  return platform::ShowMessageBox(MessageOwner(target), text, title, buttons | platform::MESSAGE_BOX_ICON_ERROR);
}

}  // namespace reelbox

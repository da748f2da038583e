#include "tape/tape_block_list.h"

#include <cstring>

#include "tape/ascii_text.h"
#include "tape/byte_cursor.h"

namespace reelbox {
namespace {

constexpr std::uint8_t ARCHIVE_INFO = 0x32;
constexpr std::uint8_t ARCHIVE_TEXT_COMMENT = 7;
constexpr std::size_t ARCHIVE_TEXT_LIMIT = 127;

bool IsSignalBlock(std::int32_t id) { return (id >= 0x10 && id <= 0x15) || id >= 0xF0; }

// The TZX data (flag byte first) and its length of a 0x10 or 0x11 block; false
// for other blocks and for a block that does not hold all its data.
bool DataOf(const TapeBlock& block, const std::uint8_t** data, std::uint32_t* length) {
  std::uint32_t offset;
  if (block.id == 0x10 && block.size >= 5) {
    *length = ReadU16(block.data + 3);
    offset = 5;
  } else if (block.id == 0x11 && block.size >= 19) {
    *length = ReadU24(block.data + 16);
    offset = 19;
  } else {
    return false;
  }
  if (block.size - offset < *length) return false;
  *data = block.data + offset;
  return true;
}

}  // namespace

TapeBlockList::~TapeBlockList() { Clear(); }

TapeBlock* TapeBlockList::GetBlock(std::int32_t index) const {
  if (index_.empty()) return nullptr;
  if (index <= 0) return first;
  if (index >= count) return nullptr;
  return index_[static_cast<std::size_t>(index)];
}

TapeBlock* TapeBlockList::NewBlock() {
  pool_.emplace_back();
  TapeBlock* block = &pool_.back();
  block->pooled = 1;
  return block;
}

void TapeBlockList::Reserve(std::size_t blocks) { index_.reserve(index_.size() + blocks); }

HResult TapeBlockList::Append(TapeBlock* block) {
  index_.push_back(block);
  if (IsSignalBlock(block->id)) hasSignalBlocks = 1;
  if (block->id == ARCHIVE_INFO) ExamineArchiveInfo(*block);
  block->next = nullptr;
  if (last == nullptr) {
    first = block;
  } else {
    last->next = block;
  }
  last = block;
  ++count;
  return RESULT_OK;
}

// Archive information: the first text entry of type 7 (comments) decides whether
// edge detection may be used; "zydroload" tapes time their loader too tightly.
void TapeBlockList::ExamineArchiveInfo(const TapeBlock& block) {
  ByteCursor cursor(block.data, block.size);
  std::uint8_t entries = 0;
  if (!cursor.Skip(3) || !cursor.U8(&entries)) return;
  for (std::uint8_t i = 0; i < entries; ++i) {
    std::uint8_t type = 0;
    std::uint8_t length = 0;
    if (!cursor.U8(&type) || !cursor.U8(&length) || !cursor.Has(length)) return;
    if (type == ARCHIVE_TEXT_COMMENT) {
      char text[ARCHIVE_TEXT_LIMIT + 1];
      std::size_t copied = length < ARCHIVE_TEXT_LIMIT ? length : ARCHIVE_TEXT_LIMIT;
      std::memcpy(text, cursor.Here(), copied);
      text[copied] = '\0';
      if (EqualsIgnoringCase(text, "zydroload")) edgeDetectionAllowed = 0;
      return;
    }
    cursor.Skip(length);
  }
}

void TapeBlockList::Clear() {
  TapeBlock* block = first;
  first = nullptr;
  last = nullptr;
  standardOnly = 0;
  hasSignalBlocks = 0;
  recordable = 0;
  edgeDetectionAllowed = 1;
  while (block != nullptr) {
    TapeBlock* next = block->next;
    if (block->id == BLOCK_SAMPLED_PIECE && block->size >= 1 + sizeof(SampleSourceRoutine)) {
      SampleSourceRoutine routine;
      std::memcpy(&routine, block->data + 1, sizeof routine);
      if (routine != nullptr) routine(SAMPLE_SOURCE_RELEASE, block->data, nullptr, nullptr);
    }
    FreeBlock(block);
    block = next;
  }
  count = 0;
  index_.clear();
  index_.shrink_to_fit();
  pool_.clear();
  mappedView.reset();
}

void TapeBlockList::SetMappedView(std::unique_ptr<platform::MappedView> view) { mappedView = std::move(view); }

AutoLoadKind TapeBlockList::AnalyseForAutoLoad() const {
  const TapeBlock* header = first;
  while (header != nullptr && (header->id < 0x10 || header->id > 0x14)) header = header->next;
  if (header == nullptr) return None;

  const std::uint8_t* data = nullptr;
  std::uint32_t length = 0;
  if (!DataOf(*header, &data, &length)) return None;
  if ((length != 19 && length != 20) || data[0] != 0) return None;

  const std::uint8_t type = data[1];
  const std::uint16_t codeLength = ReadU16(data + 12);
  const std::uint16_t param1 = ReadU16(data + 14);
  AutoLoadKind candidate;
  if (type == 0 && param1 < 32768) {
    candidate = Program;
  } else if (type == 3 && param1 <= 0x5C00 && static_cast<std::uint32_t>(param1) + codeLength >= 0x5CDD) {
    candidate = Code;
  } else {
    return None;
  }

  const TapeBlock* body = header->next;
  const std::uint8_t* bodyData = nullptr;
  std::uint32_t bodyLength = 0;
  if (body == nullptr || !DataOf(*body, &bodyData, &bodyLength) || bodyLength == 0 || bodyData[0] != 0xFF) {
    return None;
  }
  return candidate;
}

std::uint32_t TapeBlockList::IsRomLoadable(std::int32_t index) const {
  const TapeBlock* block = GetBlock(index);
  if (block == nullptr || block->id != 0x10) return 1;
  // The one standard block at index 3 of 2722 bytes is a known custom-timed loader.
  if (index == 3 && block->size >= 5 && ReadU16(block->data + 3) == 2722) return 0;
  return standardOnly;
}

}  // namespace reelbox

// TZX files, read in place: every block of the list points at its own bytes in
// the file's view, which the list keeps until it is cleared. The reader only
// finds where each block ends; groups, loops, jumps and calls are the deck's.
#include "tape/tzx_reader.h"

#include <array>
#include <cstring>
#include <limits>
#include <new>

#include "platform/guarded_read.h"
#include "tape/ascii_text.h"
#include "tape/byte_cursor.h"
#include "tape/file_view.h"

namespace reelbox {
namespace {

constexpr std::size_t TZX_HEADER_SIZE = 10;  // signature, major and minor version
constexpr std::uint8_t TZX_SIGNATURE[8] = {'Z', 'X', 'T', 'a', 'p', 'e', '!', 0x1A};

// A block's length, identifier included: fixed + unit x the count field of
// countWidth bytes at countOffset. Every field the deck reads lies inside this
// length because the length is made from the very count that sizes the body
// (a 0x13 block holds exactly its count of pulses, a 0x33 block its count of
// 3-byte entries, and so on). Walks inside a body whose entries have their own
// counts and lengths must still stay below block->size: the 0x28 select
// entries and the 0x32 archive entries; and the block indices named by 0x23
// jumps and 0x26 call entries must be checked against the tape's block count.
struct LengthRule {
  std::uint8_t fixed;
  std::uint8_t countOffset;
  std::uint8_t countWidth;  // 0: the block has a fixed length
  std::uint8_t unit;
};

struct KnownBlock {
  std::uint8_t id;
  LengthRule rule;
};

constexpr KnownBlock KNOWN_BLOCKS[] = {
    {0x10, {5, 3, 2, 1}},    // standard speed data: pause, u16 data length
    {0x11, {19, 16, 3, 1}},  // turbo data: timings, used bits, pause, u24 data length
    {0x12, {5, 0, 0, 0}},    // pure tone: pulse length, pulse count
    {0x13, {2, 1, 1, 2}},    // pulse sequence: count, u16 per pulse
    {0x14, {11, 8, 3, 1}},   // pure data: timings, used bits, pause, u24 data length
    {0x15, {9, 6, 3, 1}},    // direct recording: T-states per sample, pause, used bits, u24 length
    {0x20, {3, 0, 0, 0}},    // pause or stop the tape
    {0x21, {2, 1, 1, 1}},    // group start: name length, name
    {0x22, {1, 0, 0, 0}},    // group end
    {0x23, {3, 0, 0, 0}},    // jump: relative block index
    {0x24, {3, 0, 0, 0}},    // loop start: repetitions
    {0x25, {1, 0, 0, 0}},    // loop end
    {0x26, {3, 1, 2, 2}},    // call sequence: count, u16 per call
    {0x27, {1, 0, 0, 0}},    // return from call
    {0x28, {3, 1, 2, 1}},    // select block: u16 length of the selections
    {0x2A, {5, 0, 0, 0}},    // stop the tape in 48K mode: u32 length 0
    {0x30, {2, 1, 1, 1}},    // text description
    {0x31, {3, 2, 1, 1}},    // message: seconds, text length, text
    {0x32, {3, 1, 2, 1}},    // archive information: u16 length of the entries
    {0x33, {2, 1, 1, 3}},    // hardware type: count, 3 bytes per entry
    {0x34, {9, 0, 0, 0}},    // emulation information
    {0x35, {15, 11, 4, 1}},  // custom information: 10-character name, u32 length
    {0x40, {5, 2, 3, 1}},    // snapshot: type, u24 length
    {0x5A, {10, 0, 0, 0}},   // the header of a TZX file glued onto another
};

// Identifiers the format does not define carry a u32 length after the identifier.
constexpr LengthRule UNKNOWN_BLOCK = {5, 1, 4, 1};

constexpr std::array<LengthRule, 256> MakeLengthRules() {
  std::array<LengthRule, 256> rules{};
  for (std::size_t id = 0; id < rules.size(); ++id) rules[id] = UNKNOWN_BLOCK;
  for (const KnownBlock& known : KNOWN_BLOCKS) rules[known.id] = known.rule;
  return rules;
}

constexpr std::array<LengthRule, 256> LENGTH_RULES = MakeLengthRules();

bool ReadCount(ByteCursor& cursor, std::uint8_t width, std::uint32_t* count) {
  std::uint8_t u8 = 0;
  std::uint16_t u16 = 0;
  bool read = false;
  switch (width) {
    case 1:
      read = cursor.U8(&u8);
      *count = u8;
      break;
    case 2:
      read = cursor.U16(&u16);
      *count = u16;
      break;
    case 3:
      read = cursor.U24(count);
      break;
    default:
      read = cursor.U32(count);
      break;
  }
  return read;
}

// Blocks larger than a TapeBlock's size field can describe are refused.
constexpr std::size_t MAX_BLOCK_SIZE = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t MAX_BLOCK_COUNT = std::numeric_limits<std::int32_t>::max();

// The list's own identifiers for sampled pieces, whose bodies hold pointers
// that the deck and the list follow: a file block with one of them is refused,
// never made a block that would hand its bytes over as pointers.
bool IsPrivateIdentifier(std::uint8_t id) { return id >= BLOCK_CSW_PIECE; }

// Calls onBlock(start, length) for each complete block in turn. Every length
// is checked here, before anything reads the block's body. A block that runs
// past the end of the file ends the tape before it: a cut download keeps the
// blocks it holds whole, as a cut cassette would still play up to the cut.
template <typename OnBlock>
HResult ForEachBlock(const std::uint8_t* data, std::size_t size, OnBlock onBlock) {
  ByteCursor cursor(data, size);
  while (!cursor.AtEnd()) {
    if (IsPrivateIdentifier(*cursor.Here())) return TAPE_E_BADFORMAT;
    const std::size_t length = TzxBlockLength(cursor.Here(), cursor.Remaining());
    if (length == 0) break;
    if (length > MAX_BLOCK_SIZE) return TAPE_E_BADFORMAT;
    const HResult result = onBlock(cursor.Here(), length);
    if (Failed(result)) return result;
    cursor.Skip(length);
  }
  return RESULT_OK;
}

// A file without one complete block is not a tape.
HResult CountBlocks(const std::uint8_t* data, std::size_t size, std::size_t* count) {
  *count = 0;
  HResult result = ForEachBlock(data, size, [count](const std::uint8_t*, std::size_t) {
    return ++*count <= MAX_BLOCK_COUNT ? RESULT_OK : RESULT_OUTOFMEMORY;
  });
  if (Succeeded(result) && *count == 0) result = TAPE_E_BADFORMAT;
  return result;
}

// Records come from the list's pool and the index is sized up front: a block
// costs its record and one index entry, nothing per block from the heap.
HResult AppendBlocks(TapeBlockList& list, const std::uint8_t* data, std::size_t size, std::size_t count) {
  try {
    list.Reserve(count);
    return ForEachBlock(data, size, [&list](const std::uint8_t* start, std::size_t length) {
      TapeBlock* block = list.NewBlock();
      block->id = start[0];
      block->ownsData = 0;
      block->data = start;
      block->size = static_cast<std::uint32_t>(length);
      return list.Append(block);
    });
  } catch (const std::bad_alloc&) {
    return RESULT_OUTOFMEMORY;
  }
}

// Tapes whose standard-looking headers introduce a loader that the ROM routine
// cannot stand in for; the names are compared over their first 9 characters.
constexpr const char* SPECIAL_HEADER_NAMES[] = {"CHIP FACT"};
constexpr std::size_t SPECIAL_NAME_LENGTH = 9;
constexpr std::size_t HEADER_DATA_LENGTH = 19;  // flag, type, 10-character name, 3 words, checksum
constexpr std::size_t HEADER_NAME_OFFSET = 7;   // id, pause, length, flag, type

bool IsSpecialHeader(const TapeBlock& block) {
  if (block.id != 0x10 || block.size != 5 + HEADER_DATA_LENGTH) return false;
  if (ReadU16(block.data + 3) != HEADER_DATA_LENGTH || block.data[5] != 0) return false;
  const char* name = reinterpret_cast<const char*>(block.data + HEADER_NAME_OFFSET);
  for (const char* special : SPECIAL_HEADER_NAMES) {
    if (EqualsIgnoringCase(name, special, SPECIAL_NAME_LENGTH)) return true;
  }
  return false;
}

// 0 from the first turbo, tone, pulse or pure-data block or special header on;
// direct recordings (0x15) leave the tape standard.
std::uint32_t StandardOnly(const TapeBlockList& list) {
  for (const TapeBlock* block = list.GetBlock(0); block != nullptr; block = block->next) {
    if (block->id >= 0x11 && block->id <= 0x14) return 0;
    if (IsSpecialHeader(*block)) return 0;
  }
  return 1;
}

HResult ParseBlocks(TapeBlockList& list, const std::uint8_t* data, std::size_t size) {
  std::size_t count = 0;
  HResult result = CountBlocks(data, size, &count);
  if (Succeeded(result)) result = AppendBlocks(list, data, size, count);
  if (Succeeded(result)) list.standardOnly = StandardOnly(list);
  return result;
}

HResult CheckSignature(const std::uint8_t* data) {
  auto compare = [data]() -> HResult {
    return std::memcmp(data, TZX_SIGNATURE, sizeof TZX_SIGNATURE) == 0 ? RESULT_OK : TAPE_E_BADFORMAT;
  };
  return platform::RunGuarded(compare);
}

}  // namespace

std::size_t TzxBlockLength(const std::uint8_t* data, std::size_t available) {
  if (available == 0) return 0;
  const LengthRule& rule = LENGTH_RULES[data[0]];
  std::uint32_t count = 0;
  if (rule.countWidth != 0) {
    ByteCursor cursor(data, available);
    if (!cursor.Skip(rule.countOffset) || !ReadCount(cursor, rule.countWidth, &count)) return 0;
  }
  const std::uint64_t length = rule.fixed + static_cast<std::uint64_t>(rule.unit) * count;
  return length <= available ? static_cast<std::size_t>(length) : 0;
}

HResult ParseTzx(TapeBlockList& list, const std::uint8_t* data, std::size_t size) {
  list.Clear();
  auto parse = [&]() { return ParseBlocks(list, data, size); };
  const HResult result = platform::RunGuarded(parse);
  if (Failed(result)) list.Clear();
  return result;
}

// A file too short for the header or with another signature leaves the
// current tape in place; from the parse on, a failure leaves the list empty.
HResult ReadTzxFile(TapeBlockList& list, const char* path) {
  std::uint64_t size = 0;
  std::unique_ptr<platform::MappedView> view;
  HResult result = ViewWholeFile(path, &size, &view);
  if (Failed(result)) return result;
  if (size < TZX_HEADER_SIZE) return TAPE_E_BADFORMAT;
  result = CheckSignature(view->Data());
  if (Failed(result)) return result;
  result = ParseTzx(list, view->Data() + TZX_HEADER_SIZE, view->Size() - TZX_HEADER_SIZE);
  if (Failed(result)) return result;
  list.recordable = 1;
  list.SetMappedView(std::move(view));
  return RESULT_OK;
}

}  // namespace reelbox

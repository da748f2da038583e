// Recording: an execution trap inside the 48K ROM's save routine copies the
// block being saved out of emulated memory as a standard speed data block and
// finishes the routine's work in the registers, so a save takes no emulated time.
#include "engine/tape_deck.h"
#include "tape/byte_cursor.h"

namespace reelbox {
namespace {

// Inside SA-BYTES, with the flag in A, the start in IX and the length in DE.
constexpr std::uint16_t SAVE_TRAP_ADDRESS = 0x04D0;
constexpr std::uint32_t TRAP_KIND_EXECUTION = 0;
constexpr std::uint16_t RECORDED_PAUSE_MS = 1000;
// A standard block's length field holds the saved bytes plus flag and checksum.
constexpr std::uint32_t LONGEST_STANDARD_SAVE = 0xFFFF - 2;
constexpr std::uint32_t STANDARD_BODY = 4;  // pause, length
constexpr std::uint32_t TURBO_BODY = 18;    // timings, used bits, pause, 24-bit length

// The ROM's pulse lengths and pilot tone, as a turbo block describes them.
void WriteTurboTimings(std::uint8_t* body, std::uint8_t flag) {
  const std::uint16_t timings[] = {2168, 667, 735, 855, 1710, static_cast<std::uint16_t>(flag < 0x80 ? 8063 : 3223)};
  for (std::size_t i = 0; i < sizeof timings / sizeof timings[0]; ++i) WriteU16(body + 2 * i, timings[i]);
  body[12] = 8;  // every bit of the last byte is used
}

// The 48K BASIC ROM's number on each machine (GetModel order). Machines beyond
// the table are taken as 48K machines.
std::uint32_t BasicRomOf(std::uint32_t model) {
  constexpr std::uint32_t ROMS[] = {0, 0, 2, 4, 8, 8, 10, 12};
  return model < sizeof ROMS / sizeof ROMS[0] ? ROMS[model] : 0;
}

void AppendBlock(TapeBlock*& head, TapeBlock* block) {
  TapeBlock** link = &head;
  while (*link != nullptr) link = &(*link)->next;
  *link = block;
}

}  // namespace

void TapeDeck::SetSaveTrap(bool on) {
  if (host == nullptr) return;
  const std::uint32_t rom = BasicRomOf(host->GetModel());
  if (on) {
    host->AddExecutionTrap(TRAP_KIND_EXECUTION, SAVE_TRAP_ADDRESS, rom, trapOwner);
  } else {
    host->RemoveExecutionTrap(TRAP_KIND_EXECUTION, SAVE_TRAP_ADDRESS, rom, trapOwner);
  }
}

// The save reports success (carry set) and returns to the routine's caller
// with IX past the saved bytes and DE run down, as the ROM leaves them.
void TapeDeck::OnTrap(std::uint16_t address) {
  if (address != SAVE_TRAP_ADDRESS || host == nullptr) return;
  const std::uint16_t af = Register(REG_AF);
  const std::uint16_t ix = Register(REG_IX);
  const std::uint16_t de = Register(REG_DE);
  CaptureSavedBlock(ix, de, static_cast<std::uint8_t>(af >> 8));
  std::uint16_t returnAddress = 0;
  host->SetRegister(REG_AF, af | 1u);
  host->SetRegister(REG_IX, static_cast<std::uint16_t>(ix + de));
  host->SetRegister(REG_DE, 0xFFFF);
  host->PopWord(&returnAddress);
  host->SetRegister(REG_PC, returnAddress);
}

// A save that fits the standard block's 16-bit length field becomes a
// standard speed block; a longer one a turbo block with the ROM's timings and a
// 24-bit length, so no byte is lost. Out of memory, the block is dropped; the
// emulated save still succeeds.
void TapeDeck::CaptureSavedBlock(std::uint16_t start, std::uint16_t length, std::uint8_t flag) {
  const bool standard = length <= LONGEST_STANDARD_SAVE;
  const std::uint32_t body = standard ? STANDARD_BODY : TURBO_BODY;
  TapeBlock* block = NewOwnedBlock(standard ? 0x10 : 0x11, 1 + body + length + 2);
  if (block == nullptr) return;
  auto* data = const_cast<std::uint8_t*>(block->data);
  if (standard) {
    WriteU16(data + 1, RECORDED_PAUSE_MS);
    WriteU16(data + 3, static_cast<std::uint16_t>(length + 2));
  } else {
    WriteTurboTimings(data + 1, flag);
    WriteU16(data + 1 + 13, RECORDED_PAUSE_MS);
    const std::uint32_t dataLength = length + 2u;
    WriteU16(data + 1 + 15, static_cast<std::uint16_t>(dataLength));
    data[1 + 17] = static_cast<std::uint8_t>(dataLength >> 16);
  }
  std::uint8_t* bytes = data + 1 + body;
  bytes[0] = flag;
  std::uint8_t checksum = flag;
  for (std::uint32_t i = 0; i < length; ++i) {
    bytes[1 + i] = MemoryByte(static_cast<std::uint16_t>(start + i));
    checksum ^= bytes[1 + i];
  }
  bytes[1 + length] = checksum;
  AppendBlock(recordedBlocks, block);
  Notify(TAPE_EVENT_RECORDED, reinterpret_cast<MessageLParam>(&recordedBlocks));
}

}  // namespace reelbox

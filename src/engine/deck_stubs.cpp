// Placeholder bodies so the tree links while the deck is being written.
// Each moves to its own file as it is implemented.
#include "engine/tape_deck.h"

namespace reelbox {

TapeDeck::TapeDeck(TapeBlockList* list) : blockList(list) {}
TapeDeck::~TapeDeck() {}
HResult TapeDeck::Attach(IEmulatedMachine*, IDevice*) { return RESULT_NOTIMPL; }
HResult TapeDeck::Detach() { return RESULT_OK; }
HResult TapeDeck::BeginFrame(std::uint32_t) { return RESULT_OK; }
HResult TapeDeck::EndFrame() { return RESULT_OK; }
HResult TapeDeck::ReadPort(std::uint8_t*) { return RESULT_OK; }
void TapeDeck::MachineReset() {}
void TapeDeck::ResetDeck() {}
void TapeDeck::SetFastLoading(std::uint32_t) {}
void TapeDeck::SetAutoPlayStop(std::uint32_t) {}
bool TapeDeck::Play() { return false; }
bool TapeDeck::Pause() { return false; }
bool TapeDeck::Stop() { return false; }
void TapeDeck::Record() {}
void TapeDeck::GoToBlock(std::int32_t) {}
void TapeDeck::OnTrap(std::uint16_t) {}

}  // namespace reelbox

// Z80 code and CPU states for the fast-loading tests on the scripted machine:
// the 48K ROM's tape loader at its own addresses, the assembled test loaders,
// and the CPU caught inside an edge routine just after its IN A,(0xFE).
#pragma once

#include <cstdint>
#include <vector>

#include "loaders/assembled_loader.h"
#include "scripted_machine.h"

namespace reelbox::test {

constexpr std::uint16_t ROM_LD_RETURN = 0x053F;         // SA/LD-RET, pushed by LD-BYTES
constexpr std::uint16_t ROM_START_RETURN = 0x056E;      // LD-START, after CALL LD-EDGE-1
constexpr std::uint16_t ROM_LEADER_RETURN = 0x0585;     // LD-LEADER, after CALL LD-EDGE-2
constexpr std::uint16_t ROM_BYTE_RETURN = 0x05CD;       // LD-8-BITS, after CALL LD-EDGE-2
constexpr std::uint16_t ROM_TWO_EDGES_RETURN = 0x05E6;  // LD-EDGE-2, after its first CALL LD-EDGE-1
constexpr std::uint16_t ROM_AFTER_IN = 0x05F3;          // LD-EDGE-1, just after IN A,(0xFE)
constexpr std::uint16_t STACK_TOP = 0xF000;

// LD-LEADER, LD-8-BITS, LD-EDGE-2 and LD-EDGE-1 of the 48K ROM.
void PutRomLoader(ScriptedMachine& machine);
void PutLoader(ScriptedMachine& machine, const AssembledLoader& loader);
// The test loaders' edge routine, just after its IN.
std::uint16_t LoaderAfterIn(const AssembledLoader& loader);

// The stack while the edge routine called at `call` samples: the routine's
// own return when it calls a one-edge routine in turn, above the one after
// `call` and the harness's.
std::vector<std::uint16_t> StackInCall(const AssembledLoader& loader, std::uint16_t call);

// PC = afterIn; the stack below STACK_TOP holds `returns`, the last on top.
void EnterEdgeRoutine(ScriptedMachine& machine, std::uint16_t afterIn, const std::vector<std::uint16_t>& returns);

inline std::uint8_t HighOf(std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); }
inline std::uint8_t LowOf(std::uint16_t value) { return static_cast<std::uint8_t>(value); }
inline std::uint16_t Pair(std::uint8_t high, std::uint8_t low) { return static_cast<std::uint16_t>(high << 8 | low); }

}  // namespace reelbox::test

// A running machine to and from the zx-state snapshot's chunks: registers,
// paging, border, RAM pages, the AY, the +3 drive and the speech unit.
#pragma once

#include <string>

#include "host/szx_format.h"
#include "host/zx_machine.h"

namespace reelbox::host {

// The machine now; the CRTR chunk is left to the caller.
SzxState CaptureMachine(const Spectrum& spectrum, bool speechUnit);

// Puts the snapshot's state into spectrum, which must be the snapshot's
// machine; false with a message when it is not.
bool RestoreMachine(Spectrum& spectrum, const SzxState& state, std::string* error);

}  // namespace reelbox::host

// From power-on to a BASIC prompt, as a user gets there: the 16K and 48K go
// straight to 48 BASIC; the 128K-class machines show a menu, from which the
// cursor keys and ENTER pick 128 BASIC or 48 BASIC. And the LOAD command as
// the chosen BASIC wants it typed.
#pragma once

#include <string>
#include <vector>

#include "host/reference_host.h"

namespace reelbox::host {

enum class BasicMode { Basic128, Basic48 };

constexpr std::uint16_t SYSVAR_FLAGS = 0x5C3B;
constexpr std::uint8_t FLAGS_128K_MODE = 0x10;

// Runs the started host from power-on to the chosen BASIC's prompt; false
// with a message when the machine did not get there. The 16K and 48K know
// only 48 BASIC.
bool EnterBasic(ReferenceHost& host, BasicMode mode, std::string* error);

// The keys for LOAD "" (or LOAD "" CODE) and ENTER: spelt out in 128 BASIC
// and on the replacement ROM, keyword by keyword in 48 BASIC.
std::vector<Chord> LoadCommandChords(const ReferenceHost& host, BasicMode mode, bool code);

}  // namespace reelbox::host

// Command ids of the recorder's buttons (also its WM_COMMAND ids) and the ids
// of its child controls.
#pragma once

#include <cstdint>

namespace reelbox {

constexpr std::uint32_t ID_RECORD = 1000;
constexpr std::uint32_t ID_PLAY = 1001;
constexpr std::uint32_t ID_REWIND = 1002;
constexpr std::uint32_t ID_FAST_FORWARD = 1003;
constexpr std::uint32_t ID_STOP = 1004;
constexpr std::uint32_t ID_EJECT = 1005;
constexpr std::uint32_t ID_PAUSE = 1006;
constexpr std::uint32_t ID_FAST_LOADING = 1007;
constexpr std::uint32_t ID_AUTO_PLAY = 1008;
constexpr std::uint32_t ID_DETAILED_TOC = 1009;
constexpr std::uint32_t ID_LOADING_NOISE = 1010;
constexpr std::uint32_t ID_AUTO_LOAD = 1011;

constexpr std::uint32_t CONTROL_OPTIONS_TOOLBAR = 1000;
constexpr std::uint32_t CONTROL_TOC_LIST = 1001;
constexpr std::uint32_t CONTROL_TRANSPORT_TOOLBAR = 1002;
constexpr std::uint32_t CONTROL_STATUS_BAR = 1003;

// One button of a toolbar: command 0 is a separator.
struct ButtonSpec {
  std::uint32_t command;
  std::int32_t glyph;
  std::uint8_t state;
  std::uint8_t style;
};

extern const ButtonSpec TRANSPORT_BUTTONS[10];
extern const ButtonSpec OPTIONS_BUTTONS[8];

// Enabled and pressed transport buttons for a deck state.
struct TransportState {
  bool record, play, pause, stop, rewind, fastForward, eject;
  std::uint32_t pressed;  // command of the pressed button; 0 for none
};

// S deck state, T tape inserted, L controls locked, R record disabled, H the
// tape has signal blocks.
TransportState DecideTransport(std::int32_t state, bool tapeInserted, bool locked, bool recordDisabled,
                               bool hasSignalBlocks);

}  // namespace reelbox

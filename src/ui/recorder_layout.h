// The recorder window's geometry: where its children go for a client size.
#pragma once

#include <cstdint>

#include "ui/recorder_view.h"

namespace reelbox {

constexpr std::int32_t RECORDER_MARGIN = 7;
constexpr std::int32_t RECORDER_WIDTH = 268;
constexpr std::int32_t RECORDER_HEIGHT = 288;

struct Placement {
  std::int32_t x, y, width, height;
};

struct RecorderLayout {
  Placement transport;
  Placement options;
  Placement list;
};

RecorderLayout ArrangeRecorder(std::int32_t width, std::int32_t height, const ControlSizes& sizes);

// Right edge of the status bar's first part, leaving room for "Block n of n".
std::int32_t StatusPart0Right(std::int32_t clientWidth, std::int32_t blockTextWidth, std::int32_t thumbWidth);

// Halved arithmetically (towards minus infinity), as the window system does.
constexpr std::int32_t HalfOf(std::int32_t value) { return value >> 1; }

}  // namespace reelbox

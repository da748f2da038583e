#include "ui/recorder_layout.h"

#include "engine/tape_deck.h"
#include "ui/recorder_commands.h"

namespace reelbox {

const ButtonSpec TRANSPORT_BUTTONS[10] = {
    {ID_RECORD, 0, 0, BUTTON_STYLE_CHECK_GROUP},
    {0, 0, BUTTON_STATE_ENABLED, BUTTON_STYLE_SEPARATOR | BUTTON_STYLE_CHECK_GROUP},  // Record joins the group
    {ID_PLAY, 1, 0, BUTTON_STYLE_CHECK_GROUP},
    {ID_PAUSE, 6, 0, BUTTON_STYLE_CHECK_GROUP},
    {ID_STOP, 4, 0, BUTTON_STYLE_CHECK_GROUP},
    {0, 0, BUTTON_STATE_ENABLED, BUTTON_STYLE_SEPARATOR},
    {ID_REWIND, 2, 0, BUTTON_STYLE_BUTTON},
    {ID_FAST_FORWARD, 3, 0, BUTTON_STYLE_BUTTON},
    {0, 0, BUTTON_STATE_ENABLED, BUTTON_STYLE_SEPARATOR},
    {ID_EJECT, 5, 0, BUTTON_STYLE_BUTTON},
};

const ButtonSpec OPTIONS_BUTTONS[8] = {
    {ID_FAST_LOADING, 0, BUTTON_STATE_ENABLED, BUTTON_STYLE_CHECK},
    {0, 0, BUTTON_STATE_ENABLED, BUTTON_STYLE_SEPARATOR},
    {ID_AUTO_LOAD, 4, BUTTON_STATE_ENABLED, BUTTON_STYLE_CHECK},
    {ID_AUTO_PLAY, 1, BUTTON_STATE_ENABLED, BUTTON_STYLE_CHECK},
    {0, 0, BUTTON_STATE_ENABLED, BUTTON_STYLE_SEPARATOR},
    {ID_DETAILED_TOC, 2, BUTTON_STATE_ENABLED, BUTTON_STYLE_CHECK},
    {0, 0, BUTTON_STATE_ENABLED, BUTTON_STYLE_SEPARATOR},
    {ID_LOADING_NOISE, 3, BUTTON_STATE_ENABLED | BUTTON_STATE_CHECKED, BUTTON_STYLE_CHECK},
};

TransportState DecideTransport(std::int32_t state, bool tapeInserted, bool locked, bool recordDisabled,
                               bool hasSignalBlocks) {
  const bool free = !locked;
  const bool recording = state == DECK_RECORDING;
  TransportState result{};
  result.record = tapeInserted && free && !recordDisabled && (state == DECK_STOPPED || recording);
  result.play = hasSignalBlocks && free && !recording;
  result.pause = (state == DECK_PLAYING || state == DECK_PAUSED) && free;
  result.stop = tapeInserted && free;
  result.rewind = result.fastForward = hasSignalBlocks && free && !recording;
  result.eject = tapeInserted && free && state == DECK_STOPPED;
  if (tapeInserted) {
    switch (state) {
      case DECK_STOPPED:
        result.pressed = ID_STOP;
        break;
      case DECK_PAUSED:
        result.pressed = ID_PAUSE;
        break;
      case DECK_PLAYING:
        result.pressed = ID_PLAY;
        break;
      case DECK_RECORDING:
        result.pressed = ID_RECORD;
        break;
      default:
        break;
    }
  }
  return result;
}

RecorderLayout ArrangeRecorder(std::int32_t width, std::int32_t height, const ControlSizes& sizes) {
  const std::int32_t bottom = height - RECORDER_MARGIN - sizes.statusHeight;
  RecorderLayout layout{};
  layout.transport = {HalfOf(width - sizes.transportWidth), bottom - sizes.transportHeight, sizes.transportWidth,
                      sizes.transportHeight};
  layout.options = {width - RECORDER_MARGIN - sizes.optionsWidth, RECORDER_MARGIN, sizes.optionsWidth,
                    sizes.optionsHeight};
  const std::int32_t listTop = sizes.optionsHeight + 2 * RECORDER_MARGIN;
  layout.list = {RECORDER_MARGIN, listTop, width - 2 * RECORDER_MARGIN,
                 (bottom - RECORDER_MARGIN - sizes.transportHeight) - listTop};
  return layout;
}

std::int32_t StatusPart0Right(std::int32_t clientWidth, std::int32_t blockTextWidth, std::int32_t thumbWidth) {
  return clientWidth - blockTextWidth - thumbWidth - 8;
}

}  // namespace reelbox

#include "host/snapshot_rows.h"

namespace reelbox::host {

const SnapshotRow SNAPSHOT_ROWS[20] = {
    {115, MODEL_128K, BasicMode::Basic128, false, false, false},
    {116, MODEL_48K, BasicMode::Basic48, false, false, false},
    {117, MODEL_48K, BasicMode::Basic48, true, false, false},
    {119, MODEL_128K, BasicMode::Basic48, false, false, false},
    {120, MODEL_PLUS2, BasicMode::Basic48, false, false, false},
    {121, MODEL_PLUS2, BasicMode::Basic128, false, false, false},
    {122, MODEL_16K, BasicMode::Basic48, true, false, false},
    {123, MODEL_16K, BasicMode::Basic48, false, false, false},
    {124, MODEL_48K, BasicMode::Basic48, true, true, false},
    {125, MODEL_16K, BasicMode::Basic48, false, true, false},
    {126, MODEL_16K, BasicMode::Basic48, true, true, false},
    {127, MODEL_48K, BasicMode::Basic48, false, true, false},
    {131, MODEL_PLUS2A, BasicMode::Basic48, false, false, false},
    {132, MODEL_PLUS2A, BasicMode::Basic128, false, false, false},
    {135, MODEL_PLUS3, BasicMode::Basic48, false, false, false},
    {136, MODEL_PLUS3, BasicMode::Basic128, false, false, false},
    {137, MODEL_PLUS3E, BasicMode::Basic128, false, false, true},
    {138, MODEL_PLUS3E, BasicMode::Basic48, false, false, true},
    {139, MODEL_SCORPION, BasicMode::Basic128, false, false, true},
    {140, MODEL_SCORPION, BasicMode::Basic48, false, false, true},
};

}  // namespace reelbox::host

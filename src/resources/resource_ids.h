// Identifiers of the library's resources.
#pragma once

namespace reelbox {

constexpr int IDS_FILTER_TEXT = 1000;
constexpr int IDS_TAP_NAME = 4000;
constexpr int IDS_TAP_DESCRIPTION = 4001;
constexpr int IDS_TZX_NAME = 4002;
constexpr int IDS_TZX_DESCRIPTION = 4003;
constexpr int IDS_MESSAGE_TITLE = 4004;
constexpr int IDS_CANNOT_UPDATE = 4005;
constexpr int IDS_BLOCK_TOO_LONG_FOR_TAP = 4100;

constexpr int IDI_TAPE_FILE = 112;

}  // namespace reelbox

// Identifiers of the library's resources.
#pragma once

namespace reelbox {

constexpr int IDS_FILTER_TEXT = 1000;
constexpr int IDS_TAP_NAME = 4000;
constexpr int IDS_TAP_DESCRIPTION = 4001;
constexpr int IDS_TZX_NAME = 4002;
constexpr int IDS_TZX_DESCRIPTION = 4003;
constexpr int IDS_HOST_CAPTION = 4004;
constexpr int IDS_EMBED_LARGE_FILE = 4006;
constexpr int IDS_TAPE_NOT_FOUND = 4007;
constexpr int IDS_EXTERNAL_AUDIO_ACTIVE = 1009;

constexpr int IDI_TAPE_FILE = 112;

}  // namespace reelbox

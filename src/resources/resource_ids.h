// Identifiers of the library's resources.
#pragma once

namespace reelbox {

constexpr int IDS_FILTER_TEXT = 1000;
constexpr int IDS_TAP_NAME = 4000;
constexpr int IDS_TAP_DESCRIPTION = 4001;
constexpr int IDS_TZX_NAME = 4002;
constexpr int IDS_TZX_DESCRIPTION = 4003;

constexpr int IDI_TAPE_FILE = 112;      // a cassette over a document page
constexpr int IDI_SNAPSHOT_FILE = 107;  // a camera over a document page

// Dialog templates and their controls (the options page's buttons are in
// ui/options_page_model.h).
constexpr int IDD_TAPE_MESSAGE = 106;
constexpr int IDD_PROGRAM_CHOICE = 107;
constexpr int IDD_OPTIONS_PAGE = 128;
constexpr int IDC_MESSAGE_TEXT = 1001;
constexpr int IDC_PROGRAM_LIST = 1005;
constexpr int IDC_PLAYBACK_GROUP = 1013;
constexpr int IDC_SNAPSHOT_GROUP = 1014;

}  // namespace reelbox

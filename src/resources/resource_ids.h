// Identifiers of the library's resources.
#pragma once

namespace reelbox {

constexpr int IDS_FILTER_TEXT = 1000;
constexpr int IDS_TAP_NAME = 4000;
constexpr int IDS_TAP_DESCRIPTION = 4001;
constexpr int IDS_TZX_NAME = 4002;
constexpr int IDS_TZX_DESCRIPTION = 4003;
constexpr int IDS_CAPTION = 4004;
constexpr int IDS_CANNOT_UPDATE = 4005;
constexpr int IDS_BLOCK_TOO_LONG_FOR_TAP = 4100;
constexpr int IDS_EMBED_LARGE_FILE = 4006;
constexpr int IDS_TAPE_NOT_FOUND = 4007;

// The cassette recorder window.
constexpr int IDS_TITLE_SUFFIX = 1001;
constexpr int IDS_TOC_HEADER = 1002;
constexpr int IDS_STATE_BASE = 1002;  // + deck state 1 to 4: Stopped, Paused, Playing, Recording
constexpr int IDS_EMPTY = 1007;
constexpr int IDS_BLOCK_OF = 1008;
constexpr int IDS_EXTERNAL_AUDIO_ACTIVE = 1009;
constexpr int IDS_TOOLTIP_BASE = 1000;  // + command id
constexpr int IDS_TOOLTIP_PLAY_F7 = 2012;
constexpr int IDS_TOOLTIP_STOP_F7 = 2013;
constexpr int IDS_MENU_CTRL = 3000;
constexpr int IDS_MENU_HELP_CTRL = 3001;
constexpr int IDS_MENU_FKEY = 3002;
constexpr int IDS_MENU_HELP_FKEY = 3003;

// Table-of-contents rows.
constexpr int IDS_ROW_UNKNOWN = 1100;
constexpr int IDS_ROW_NORMAL_DATA = 1101;
constexpr int IDS_ROW_TURBO_DATA = 1102;
constexpr int IDS_ROW_PURE_TONE = 1103;
constexpr int IDS_ROW_PULSES = 1104;
constexpr int IDS_ROW_PURE_DATA = 1105;
constexpr int IDS_ROW_STOP = 1106;
constexpr int IDS_ROW_PAUSE = 1107;
constexpr int IDS_ROW_GROUP = 1108;
constexpr int IDS_ROW_GROUP_END = 1109;
constexpr int IDS_ROW_LOOP = 1110;
constexpr int IDS_ROW_LOOP_END = 1111;
constexpr int IDS_ROW_STOP_48K = 1112;
constexpr int IDS_ROW_DIRECT = 1113;
constexpr int IDS_ROW_JUMP = 1114;
constexpr int IDS_ROW_CALL = 1115;
constexpr int IDS_ROW_RETURN = 1116;
constexpr int IDS_ROW_SELECT = 1117;
constexpr int IDS_ROW_MESSAGE = 1118;
constexpr int IDS_ROW_ARCHIVE = 1119;
constexpr int IDS_ROW_HARDWARE = 1120;
constexpr int IDS_ROW_EMULATION = 1121;
constexpr int IDS_ROW_CUSTOM = 1122;
constexpr int IDS_ROW_SNAPSHOT = 1123;
constexpr int IDS_ROW_MERGED = 1124;
constexpr int IDS_ROW_TEXT = 1125;
constexpr int IDS_ROW_SAMPLED = 1126;

constexpr int IDB_TRANSPORT = 103;  // seven 16x15 glyphs
constexpr int IDB_OPTIONS = 104;    // five 16x16 glyphs
constexpr int IDB_HOST_BUTTON = 114;
constexpr int IDI_CASSETTE = 105;
constexpr int IDI_CASSETTE_RECORDING = 113;
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

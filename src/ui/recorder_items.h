// Names under which the native recorder window keeps what it shows, for the
// reference host and the command line to read (message service window items).
#pragma once

#include <cstdint>

namespace reelbox {

constexpr const char* ITEM_TITLE = "title";          // index 0: the window text
constexpr const char* ITEM_VISIBLE = "visible";      // index 0: value 1 when shown
constexpr const char* ITEM_ROW = "row";              // index row: the text, value the row's parameter
constexpr const char* ITEM_SELECTED = "selected";    // index 0: value the selected row, -1 for none
constexpr const char* ITEM_BUTTON = "button";        // index command id: value BUTTON_* bits
constexpr const char* ITEM_STATUS = "status";        // index part: the text, value the part's icon
constexpr const char* ITEM_CHECKED = "checked";      // on the host's toolbar or menu, index command id: value 0/1
constexpr const char* ITEM_PANE_ICON = "pane icon";  // on the host's status bar, index pane: value the icon

// A click on a row of the list, sent to the window: wParam is the row.
constexpr std::uint32_t MESSAGE_ROW_CLICK = 0x401;

constexpr std::intptr_t ITEM_BUTTON_ENABLED = 1;
constexpr std::intptr_t ITEM_BUTTON_PRESSED = 2;

}  // namespace reelbox

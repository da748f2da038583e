// The plug-in's recorder window as the host's user sees it: its title, table
// of contents, buttons and status texts, read from the window's items, and
// clicks on its buttons and rows.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace reelbox::host {

struct RecorderRow {
  std::string text;
  std::int32_t parameter;
};

struct RecorderButton {
  bool enabled;
  bool pressed;
};

struct RecorderWindowState {
  bool found = false;
  std::string title;
  bool visible = false;
  std::vector<RecorderRow> rows;
  std::int32_t selected = -1;
  std::string status[2];
  std::map<std::uint32_t, RecorderButton> buttons;  // by command id
};

// The recorder window of the plug-in loaded in this process; found is false
// when it has none.
RecorderWindowState ReadRecorderWindow();
// A click on a button (by command id) or a row; false without a window.
bool ClickRecorderButton(std::uint32_t command);
bool ClickRecorderRow(std::int32_t row);

}  // namespace reelbox::host

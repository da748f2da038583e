// What the cassette recorder shows, as its decisions see it: a title, rows of
// a table of contents, toolbar buttons, a two-part status bar and the host's
// controls it touches. The Windows view drives the common controls; the native
// view keeps the same state for the reference host to read.
#pragma once

#include <cstdint>

#include "contract/com.h"

namespace reelbox {

class CassetteRecorder;

// Sizes the layout needs from the controls.
struct ControlSizes {
  std::int32_t statusHeight;
  std::int32_t transportWidth, transportHeight;
  std::int32_t optionsWidth, optionsHeight;
};

class RecorderView {
 public:
  virtual ~RecorderView() = default;

  // The window: null until it exists.
  virtual WindowHandle Window() const = 0;
  virtual void SetTitle(const char* title) = 0;
  virtual bool IsVisible() const = 0;
  // Shown without activation, or hidden.
  virtual void Show(bool shown) = 0;
  // Client width and height, and the window's outer width and height.
  virtual void ClientSize(std::int32_t* width, std::int32_t* height) const = 0;
  virtual void WindowSize(std::int32_t* width, std::int32_t* height) const = 0;

  // Table of contents: hidden and emptied, filled, shown again.
  virtual void BeginRows() = 0;
  virtual void AddRow(const char* text, std::int32_t parameter) = 0;
  virtual void EndRows() = 0;
  virtual std::int32_t RowCount() const = 0;
  virtual std::int32_t RowParameter(std::int32_t row) const = 0;
  // The selected row, -1 for none; SelectRow(-1) clears the selection.
  virtual std::int32_t SelectedRow() const = 0;
  virtual void SelectRow(std::int32_t row) = 0;

  // Toolbar buttons by command id.
  virtual void EnableButton(std::uint32_t command, bool enabled) = 0;
  virtual void PressButton(std::uint32_t command, bool pressed) = 0;

  // Status bar: part 0 ends at part0Right; part 1 runs to the edge.
  virtual void SetStatusParts(std::int32_t part0Right) = 0;
  virtual void SetStatusText(int part, const char* text) = 0;
  virtual void SetStatusIcon(int part, IconHandle icon) = 0;
  virtual std::int32_t StatusTextWidth(const char* text) const = 0;
  // SM_CXHTHUMB of the system.
  virtual std::int32_t ThumbWidth() const = 0;

  // Children placed; sizes measured from the controls.
  virtual ControlSizes MeasureControls(std::int32_t width, std::int32_t height) = 0;
  virtual void PlaceControl(std::uint32_t controlId, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height) = 0;
  virtual void FitColumn() = 0;

  // The host's controls: its status bar pane icon, its toolbar button's check
  // mark, a menu item's check mark.
  virtual void SetHostStatusIcon(WindowHandle statusBar, std::uint32_t pane, IconHandle icon) = 0;
  virtual void CheckHostButton(WindowHandle toolbar, std::uint32_t command, bool checked) = 0;
  virtual void CheckMenuItem(MenuHandle menu, std::uint32_t command, bool checked) = 0;
  // The host's main window's client size.
  virtual void OwnerClientSize(WindowHandle owner, std::int32_t* width, std::int32_t* height) const = 0;
};

// Creates the recorder's window owned by owner, with its children (the
// platform's view). Null when the window cannot be created, with the system's
// last error set.
RecorderView* CreateRecorderView(CassetteRecorder* recorder, WindowHandle owner);

}  // namespace reelbox

// The recorder's window on Windows: the "CassetteRecorder" window class, its
// procedure, and the common controls it holds (two toolbars, the list view
// of the table of contents and the status bar).

// The common controls header needs windows.h before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <new>

#include "engine/tape_deck.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "ui/cassette_recorder.h"
#include "ui/recorder_commands.h"
#include "ui/recorder_layout.h"

namespace reelbox {
namespace {

constexpr const char* WINDOW_CLASS = "CassetteRecorder";
constexpr DWORD WINDOW_STYLE = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr DWORD TOOLBAR_STYLE = WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT | CCS_NORESIZE | CCS_NODIVIDER;
constexpr DWORD LIST_STYLE = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
constexpr DWORD STATUS_STYLE = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP;
constexpr int COLUMN_CHARACTERS = 26;

static_assert(WINDOW_STYLE == 0x86CC0000, "recorder window style");
static_assert(TOOLBAR_STYLE == 0x50000944, "toolbar style");
static_assert(LIST_STYLE == 0x5000800D, "list view style");
static_assert(sizeof(HostToolbarButton) == sizeof(TBBUTTON), "TBBUTTON layout");
static_assert(sizeof(HostAccelerator) == sizeof(ACCEL), "ACCEL layout");

HINSTANCE ModuleOrProgram(ModuleHandle module) {
  return module != nullptr ? static_cast<HINSTANCE>(module) : GetModuleHandleA(nullptr);
}

bool IsTransportCommand(std::uint32_t command) { return command >= ID_RECORD && command <= ID_PAUSE; }

class RecorderWindow final : public RecorderView {
 public:
  RecorderWindow(CassetteRecorder* recorder) : recorder_(recorder), module_(ModuleOrProgram(recorder->Instance())) {}

  bool Open(HWND owner) {
    RegisterWindowClass();
    char title[64] = "";
    LoadResourceString(recorder_->Instance(), IDS_EMPTY, title, sizeof title);
    const int used = lstrlenA(title);
    LoadResourceString(recorder_->Instance(), IDS_TITLE_SUFFIX, title + used, static_cast<int>(sizeof title) - used);
    created_ = CreateWindowExA(WS_EX_TOOLWINDOW, WINDOW_CLASS, title, WINDOW_STYLE, 0, 0, RECORDER_WIDTH,
                               RECORDER_HEIGHT, owner, nullptr, module_, this) != nullptr;
    return created_;
  }

  WindowHandle Window() const override { return window_; }
  void SetTitle(const char* title) override { SetWindowTextA(window_, title); }
  bool IsVisible() const override { return IsWindowVisible(window_) != FALSE; }
  void Show(bool shown) override { ShowWindow(window_, shown ? SW_SHOWNA : SW_HIDE); }
  void ClientSize(std::int32_t* width, std::int32_t* height) const override {
    RECT rect{};
    GetClientRect(window_, &rect);
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
  }
  void WindowSize(std::int32_t* width, std::int32_t* height) const override {
    RECT rect{};
    GetWindowRect(window_, &rect);
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
  }

  void BeginRows() override {
    ShowWindow(list_, SW_HIDE);
    SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
  }
  void AddRow(const char* text, std::int32_t parameter) override {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = RowCount();
    item.pszText = const_cast<char*>(text);
    item.lParam = parameter;
    SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  void EndRows() override {
    FitColumn();
    ShowWindow(list_, SW_SHOWNA);
  }
  std::int32_t RowCount() const override {
    return static_cast<std::int32_t>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
  }
  std::int32_t RowParameter(std::int32_t row) const override {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<std::int32_t>(item.lParam);
  }
  std::int32_t SelectedRow() const override {
    return static_cast<std::int32_t>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }
  void SelectRow(std::int32_t row) override {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (row >= 0) SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  }

  void EnableButton(std::uint32_t command, bool enabled) override {
    SendMessageA(ToolbarOf(command), TB_ENABLEBUTTON, command, MAKELONG(enabled ? TRUE : FALSE, 0));
  }
  void PressButton(std::uint32_t command, bool pressed) override {
    SendMessageA(ToolbarOf(command), TB_CHECKBUTTON, command, MAKELONG(pressed ? TRUE : FALSE, 0));
  }

  void SetStatusParts(std::int32_t part0Right) override {
    int parts[2] = {part0Right, -1};
    SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  }
  void SetStatusText(int part, const char* text) override {
    SendMessageA(status_, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
  }
  void SetStatusIcon(int part, IconHandle icon) override {
    SendMessageA(status_, SB_SETICON, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(icon));
  }
  std::int32_t StatusTextWidth(const char* text) const override {
    HDC context = GetDC(status_);
    if (context == nullptr) return 0;
    HGDIOBJ previous = SelectObject(context, reinterpret_cast<HFONT>(SendMessageA(status_, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(context, text, lstrlenA(text), &size);
    SelectObject(context, previous);
    ReleaseDC(status_, context);
    return size.cx;
  }
  std::int32_t ThumbWidth() const override { return GetSystemMetrics(SM_CXHTHUMB); }

  ControlSizes MeasureControls(std::int32_t width, std::int32_t height) override {
    ControlSizes sizes{};
    SendMessageA(status_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    RECT rect{};
    GetWindowRect(status_, &rect);
    sizes.statusHeight = rect.bottom - rect.top;
    SIZE size{};
    if (transport_ != nullptr) SendMessageA(transport_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    sizes.transportWidth = size.cx;
    sizes.transportHeight = size.cy;
    size = SIZE{};
    SendMessageA(options_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    sizes.optionsWidth = size.cx;
    sizes.optionsHeight = size.cy;
    return sizes;
  }
  void PlaceControl(std::uint32_t controlId, std::int32_t x, std::int32_t y, std::int32_t width,
                    std::int32_t height) override {
    HWND control = GetDlgItem(window_, static_cast<int>(controlId));
    if (control != nullptr) SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void FitColumn() override { SendMessageA(list_, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0)); }

  void SetHostStatusIcon(WindowHandle statusBar, std::uint32_t pane, IconHandle icon) override {
    if (statusBar != nullptr) {
      SendMessageA(static_cast<HWND>(statusBar), SB_SETICON, pane, reinterpret_cast<LPARAM>(icon));
    }
  }
  void CheckHostButton(WindowHandle toolbar, std::uint32_t command, bool checked) override {
    if (toolbar != nullptr) {
      SendMessageA(static_cast<HWND>(toolbar), TB_CHECKBUTTON, command, MAKELONG(checked ? TRUE : FALSE, 0));
    }
  }
  void CheckMenuItem(MenuHandle menu, std::uint32_t command, bool checked) override {
    if (menu != nullptr)
      ::CheckMenuItem(static_cast<HMENU>(menu), command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
  void OwnerClientSize(WindowHandle owner, std::int32_t* width, std::int32_t* height) const override {
    RECT rect{};
    GetClientRect(static_cast<HWND>(owner), &rect);
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<RecorderWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->window_ = window;
    }
    auto* self = reinterpret_cast<RecorderWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
  }

 private:
  void RegisterWindowClass() {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &RecorderWindow::Procedure;
    windowClass.hInstance = module_;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WINDOW_CLASS;
    RegisterClassExA(&windowClass);  // already registered is fine
  }

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    CassetteRecorder* recorder = recorder_;
    switch (message) {
      case WM_CREATE:
        if (!CreateChildren()) return -1;
        recorder->OnWindowCreated(this);
        return 0;
      case WM_DESTROY:
        recorder->OnDestroy();
        return 0;
      case WM_MOVE:
        recorder->OnMove();
        return 0;
      case WM_SIZE:
        recorder->OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
      case WM_CLOSE:
        recorder->OnClose();
        return 0;
      case WM_GETMINMAXINFO: {
        const int thumb = GetSystemMetrics(SM_CXHTHUMB);
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{12 * thumb, 10 * thumb};
        return 0;
      }
      case WM_NOTIFY:
        OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        return 0;
      case WM_NCDESTROY:
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        // A window refused by WM_CREATE leaves the recorder to its creator.
        if (created_) recorder->OnNcDestroy();  // frees the recorder and this view
        return 0;
      case WM_NCLBUTTONDOWN: {
        const LRESULT result = DefWindowProcA(window_, message, wParam, lParam);
        SetFocus(GetWindow(window_, GW_OWNER));
        return result;
      }
      case WM_COMMAND:
        recorder->OnCommand(LOWORD(wParam));
        return 0;
      case WM_LBUTTONUP:
        SetFocus(GetWindow(window_, GW_OWNER));
        return 0;
      case WM_TAPE_EVENT:
        recorder->OnTapeEvent(static_cast<std::uint32_t>(wParam), lParam);
        return 0;
      default: {
        MessageResult result = 0;
        if (recorder->HostDefault(message, wParam, lParam, &result)) return result;
        return DefWindowProcA(window_, message, wParam, lParam);
      }
    }
  }

  void OnNotify(const NMHDR& header) {
    if (header.code == TTN_NEEDTEXTA) {
      auto& tip = reinterpret_cast<NMTTDISPINFOA&>(const_cast<NMHDR&>(header));
      tip.hinst = module_;
      tip.lpszText = MAKEINTRESOURCEA(recorder_->TooltipString(static_cast<std::uint32_t>(header.idFrom)));
    } else if (header.code == static_cast<UINT>(NM_CLICK)) {
      if (header.hwndFrom == list_) {
        recorder_->OnRowClicked();
      } else {
        SetFocus(GetWindow(window_, GW_OWNER));
      }
    }
  }

  template <std::size_t N>
  HWND CreateToolbar(std::uint32_t id, int bitmap, const ButtonSpec (&buttons)[N]) {
    HWND toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", TOOLBAR_STYLE, 10, 10, 100, 16, window_,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), module_, nullptr);
    if (toolbar == nullptr) return nullptr;
    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    int glyphs = 0;
    for (const ButtonSpec& button : buttons)
      glyphs = button.command != 0 && button.glyph + 1 > glyphs ? button.glyph + 1 : glyphs;
    TBADDBITMAP strip{module_, static_cast<UINT_PTR>(bitmap)};
    const LRESULT first =
        SendMessageA(toolbar, TB_ADDBITMAP, static_cast<WPARAM>(glyphs), reinterpret_cast<LPARAM>(&strip));
    TBBUTTON records[N] = {};
    for (std::size_t i = 0; i < N; ++i) {
      records[i].iBitmap = buttons[i].command != 0 ? static_cast<int>(first) + buttons[i].glyph : 0;
      records[i].idCommand = static_cast<int>(buttons[i].command);
      records[i].fsState = buttons[i].state;
      records[i].fsStyle = buttons[i].style;
    }
    SendMessageA(toolbar, TB_ADDBUTTONSA, N, reinterpret_cast<LPARAM>(records));
    return toolbar;
  }

  bool CreateListView() {
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", LIST_STYLE, 10, 10, 100, 100, window_,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(CONTROL_TOC_LIST)), module_, nullptr);
    if (list_ == nullptr) return false;
    SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    char header[64] = "";
    LoadResourceString(recorder_->Instance(), IDS_TOC_HEADER, header, sizeof header);
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = COLUMN_CHARACTERS * AverageCharacterWidth();
    column.pszText = header;
    SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    HWND headerControl = reinterpret_cast<HWND>(SendMessageA(list_, LVM_GETHEADER, 0, 0));
    if (headerControl != nullptr) EnableWindow(headerControl, FALSE);
    return true;
  }

  int AverageCharacterWidth() const {
    HDC context = GetDC(window_);
    if (context == nullptr) return 8;
    TEXTMETRICA metrics{};
    const int width = GetTextMetricsA(context, &metrics) ? metrics.tmAveCharWidth : 8;
    ReleaseDC(window_, context);
    return width;
  }

  bool CreateChildren() {
    options_ = CreateToolbar(CONTROL_OPTIONS_TOOLBAR, IDB_OPTIONS, OPTIONS_BUTTONS);
    if (options_ == nullptr || !CreateListView()) return false;
    transport_ = CreateToolbar(CONTROL_TRANSPORT_TOOLBAR, IDB_TRANSPORT, TRANSPORT_BUTTONS);  // may fail
    status_ = CreateStatusWindowA(STATUS_STYLE, "", window_, CONTROL_STATUS_BAR);
    return status_ != nullptr;
  }

  HWND ToolbarOf(std::uint32_t command) const { return IsTransportCommand(command) ? transport_ : options_; }

  CassetteRecorder* recorder_;
  HINSTANCE module_;
  HWND window_ = nullptr;
  HWND options_ = nullptr;
  HWND list_ = nullptr;
  HWND transport_ = nullptr;
  HWND status_ = nullptr;
  bool created_ = false;
};

}  // namespace

RecorderView* CreateRecorderView(CassetteRecorder* recorder, WindowHandle owner) {
  auto* view = new (std::nothrow) RecorderWindow(recorder);
  if (view == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (!view->Open(static_cast<HWND>(owner))) {
    // Created but refused by WM_CREATE: the recorder was told nothing.
    if (recorder->View() != view) delete view;
    return nullptr;
  }
  return view;
}

}  // namespace reelbox

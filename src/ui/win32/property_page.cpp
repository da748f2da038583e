#include "ui/win32/property_page.h"

namespace reelbox {

PropertyPage::PropertyPage(HINSTANCE module, IOptionsSheet* sheet, int templateId)
    : module(module), sheet(sheet), templateId(templateId) {
  if (sheet != nullptr) sheet->AddRef();
  page.dwSize = PROPSHEETPAGEA_V2_SIZE;
  page.dwFlags = PSP_USECALLBACK;
  page.hInstance = module;
  page.pszTemplate = MAKEINTRESOURCEA(templateId);
  page.pfnDlgProc = &PropertyPage::DialogProcedure;
  page.pfnCallback = &PropertyPage::PageCallback;
  page.lParam = reinterpret_cast<LPARAM>(this);
}

PropertyPage::~PropertyPage() { SafeRelease(sheet); }

HPROPSHEETPAGE PropertyPage::CreatePage() { return CreatePropertySheetPageA(&page); }

INT_PTR CALLBACK PropertyPage::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<PropertyPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->dialog = window;
    self->OnInitDialog();
    return TRUE;
  }
  auto* self = reinterpret_cast<PropertyPage*>(GetWindowLongPtrA(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_APPLY)) {
    self->OnApply();
    SetWindowLongPtrA(window, DWLP_MSGRESULT, PSNRET_NOERROR);
    return TRUE;
  }
  if (message == WM_HELP) {
    const auto* help = reinterpret_cast<const HELPINFO*>(lParam);
    if (self->sheet != nullptr) {
      self->sheet->ShowContextHelp(help->hItemHandle, 0, HELP_WM_HELP, self->GetHelpIds());
    }
    return TRUE;
  }
  return self->OnMessage(message, wParam, lParam);
}

UINT CALLBACK PropertyPage::PageCallback(HWND, UINT message, PROPSHEETPAGEA* page) {
  if (message == PSPCB_CREATE) return TRUE;
  if (message == PSPCB_RELEASE) {
    auto* self = reinterpret_cast<PropertyPage*>(page->lParam);
    // Late messages to the dialog find no object.
    if (self->dialog != nullptr && IsWindow(self->dialog)) SetWindowLongPtrA(self->dialog, DWLP_USER, 0);
    delete self;
  }
  return 0;
}

}  // namespace reelbox

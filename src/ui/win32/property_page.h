// A page of a property sheet: the page description handed to the system,
// the dialog procedure that routes the page's messages to the object, and
// the page callback that frees the object when the sheet releases the page.
#pragma once

#include <windows.h>
// After windows.h, which declares what they use.
#include <commctrl.h>
#include <prsht.h>

#include <cstdint>

#include "contract/host_interfaces.h"

namespace reelbox {

class PropertyPage {
 public:
  virtual ~PropertyPage();
  PropertyPage(const PropertyPage&) = delete;
  PropertyPage& operator=(const PropertyPage&) = delete;

  // The system's page for this object; null on failure. From then on the
  // object belongs to the page and is freed when the sheet releases it.
  HPROPSHEETPAGE CreatePage();

 protected:
  PropertyPage(HINSTANCE module, IOptionsSheet* sheet, int templateId);

  virtual void OnInitDialog() = 0;
  virtual void OnApply() = 0;
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Pairs of control id and help id, ended by 0, 0.
  virtual const std::uint32_t* GetHelpIds() = 0;

  PROPSHEETPAGEA page = {};
  HWND dialog = nullptr;  // known from WM_INITDIALOG on
  HINSTANCE module;
  IOptionsSheet* sheet;  // one reference held for the page's life
  int templateId;

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static UINT CALLBACK PageCallback(HWND window, UINT message, PROPSHEETPAGEA* page);
};

}  // namespace reelbox

// The native build has no settings dialog to hold a property page: hosts
// change the settings through their store, and the page's decisions are
// shared with Windows (options_page_model).
#include "ui/options_page.h"

namespace reelbox {

HResult CreateOptionsPage(ModuleHandle, IOptionsSheet*, const OptionsTarget&, PropertyPageHandle* page) {
  if (page != nullptr) *page = nullptr;
  return RESULT_NOTIMPL;
}

}  // namespace reelbox

// The "Cassette Recorder" page: moves the page's decisions to and from its
// check boxes and radio buttons.
#include <new>

#include "resources/resource_ids.h"
#include "ui/options_page.h"
#include "ui/win32/property_page.h"

namespace reelbox {
namespace {

class TapeOptionsPage final : public PropertyPage {
 public:
  TapeOptionsPage(HINSTANCE module, IOptionsSheet* sheet, const OptionsTarget& target)
      : PropertyPage(module, sheet, IDD_OPTIONS_PAGE), target(target) {
    if (target.owner != nullptr) target.owner->AddRef();
  }
  ~TapeOptionsPage() override { SafeRelease(target.owner); }

 private:
  void OnInitDialog() override {
    const OptionChecks checks = ReadOptions(target);
    for (int id : OPTION_BUTTONS) CheckDlgButton(dialog, id, checks.Checked(id) ? BST_CHECKED : BST_UNCHECKED);
    UpdateEnabling();
  }

  void OnApply() override { WriteOptions(ShownChecks(), target); }

  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM) override {
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    UpdateEnabling();
    PropSheet_Changed(GetParent(dialog), dialog);  // the sheet's Apply button becomes available
    return TRUE;
  }

  const std::uint32_t* GetHelpIds() override { return OPTIONS_HELP_IDS; }

  OptionChecks ShownChecks() const {
    OptionChecks checks;
    for (int id : OPTION_BUTTONS) checks.Set(id, IsDlgButtonChecked(dialog, id) == BST_CHECKED);
    return checks;
  }

  void UpdateEnabling() {
    const OptionChecks checks = ShownChecks();
    for (int id : OPTION_BUTTONS) EnableWindow(GetDlgItem(dialog, id), IsOptionEnabled(checks, id));
  }

  OptionsTarget target;
};

}  // namespace

HResult CreateOptionsPage(ModuleHandle module, IOptionsSheet* sheet, const OptionsTarget& target,
                          PropertyPageHandle* page) {
  *page = nullptr;
  auto* options = new (std::nothrow) TapeOptionsPage(static_cast<HINSTANCE>(module), sheet, target);
  if (options == nullptr) return RESULT_OUTOFMEMORY;
  HPROPSHEETPAGE handle = options->CreatePage();
  if (handle == nullptr) {
    delete options;
    return RESULT_FAIL;
  }
  *page = handle;
  return RESULT_OK;
}

}  // namespace reelbox

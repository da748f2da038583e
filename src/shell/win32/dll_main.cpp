// Process attach of the plug-in library.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "shell/module_state.h"

// Every resource is loaded from this module; the recorder window, its toolbars,
// list view and status bar are common controls.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    reelbox::moduleInstance = instance;
    DisableThreadLibraryCalls(instance);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
  }
  return TRUE;
}

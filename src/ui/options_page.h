// The options page that the plug-in adds to the host's settings dialog.
#pragma once

#include "contract/host_interfaces.h"
#include "ui/options_page_model.h"

namespace reelbox {

// Makes the "Cassette Recorder" page for the host's sheet and hands out its
// handle: 0, 0x8007000E when the page object cannot be made, 0x80004005 when
// the system makes no page. The page frees itself when the sheet releases it.
HResult CreateOptionsPage(ModuleHandle module, IOptionsSheet* sheet, const OptionsTarget& target,
                          PropertyPageHandle* page);

}  // namespace reelbox

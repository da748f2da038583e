// The emulated machine's interface with the slots no tape plug-in calls
// answering "not implemented": the base of every machine the host offers.
#pragma once

#include "contract/host_interfaces.h"

namespace reelbox::host {

class MachineSlots : public IEmulatedMachine {
 public:
  HResult RB_CALL MachineSlot9() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot10() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot12() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot13() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot14() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot15() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot16() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot17() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot20() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot21() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot22() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot23() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot24() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot29() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot31() override { return RESULT_NOTIMPL; }
  HResult RB_CALL MachineSlot32() override { return RESULT_NOTIMPL; }
};

}  // namespace reelbox::host

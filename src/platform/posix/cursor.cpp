#include "platform/cursor.h"

#include "platform/posix/message_service/message_service.h"

namespace reelbox::platform {
namespace {

constexpr std::uintptr_t CURSOR_WAIT = 32514;  // IDC_WAIT

}  // namespace

CursorShape ShowWaitCursor() { return reinterpret_cast<CursorShape>(rb_set_cursor(CURSOR_WAIT)); }

void RestoreCursor(CursorShape previous) { rb_set_cursor(reinterpret_cast<std::uintptr_t>(previous)); }

}  // namespace reelbox::platform

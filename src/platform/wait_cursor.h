// The wait cursor while a long operation runs on the user-interface thread.
#pragma once

namespace reelbox::platform {

// Shows the wait cursor while it lives, then the cursor it replaced.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  [[maybe_unused]] void* previous_ = nullptr;  // the cursor to restore, where there is one
};

}  // namespace reelbox::platform

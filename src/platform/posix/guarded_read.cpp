#include "platform/guarded_read.h"

#include <setjmp.h>
#include <signal.h>

#include <mutex>

#include "platform/system_error.h"

namespace reelbox::platform {
namespace {

constexpr std::int32_t ERROR_IO_DEVICE = 1117;

thread_local sigjmp_buf* activeGuard = nullptr;
struct sigaction previousBusAction;

void OnBusError(int signal, siginfo_t* info, void* context) {
  if (activeGuard != nullptr) siglongjmp(*activeGuard, 1);
  // Not ours: hand the fault to whoever handled it before.
  if (previousBusAction.sa_flags & SA_SIGINFO) {
    previousBusAction.sa_sigaction(signal, info, context);
  } else if (previousBusAction.sa_handler != SIG_IGN && previousBusAction.sa_handler != SIG_DFL) {
    previousBusAction.sa_handler(signal);
  } else {
    sigaction(SIGBUS, &previousBusAction, nullptr);
    raise(signal);
  }
}

}  // namespace

// A mapped file that shrinks under the view raises SIGBUS on the pages past its
// new end. The handler is installed only for the duration of the call.
HResult RunGuarded(GuardedFunction function, void* context) {
  // Inside another guarded call on this thread: its guard already covers this one.
  if (activeGuard != nullptr) return function(context);
  static std::mutex installLock;
  std::lock_guard<std::mutex> guard(installLock);

  struct sigaction action = {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &previousBusAction);

  sigjmp_buf jump;
  HResult result;
  if (sigsetjmp(jump, 1) == 0) {
    activeGuard = &jump;
    result = function(context);
  } else {
    SetLastSystemError(ERROR_IO_DEVICE);
    result = LastErrorResult();
  }
  activeGuard = nullptr;
  sigaction(SIGBUS, &previousBusAction, nullptr);
  return result;
}

}  // namespace reelbox::platform

#include "platform/guarded_read.h"

#include <windows.h>

#include "platform/system_error.h"

// The compiler is told that RtlCaptureContext may return a second time: a
// faulting guarded call resumes at the context it captured, like setjmp.
extern "C" NTSYSAPI VOID NTAPI RtlCaptureContext(PCONTEXT context) __attribute__((returns_twice));

namespace reelbox::platform {
namespace {

// MinGW g++ has no __try/__except. Instead a vectored handler catches the
// fault, and the thread resumes with the registers captured when the guard was
// set, as the OS does for a structured handler.
struct Guard {
  CONTEXT resume;
  volatile DWORD faultCode;
};

thread_local Guard* activeGuard = nullptr;

// A page of a mapped file that cannot be read in (medium gone, network error),
// or a read of an address with no page behind it.
bool IsReadFault(const EXCEPTION_RECORD& record) {
  if (record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR) return true;
  return record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 1 &&
         record.ExceptionInformation[0] == 0;
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers) {
  Guard* guard = activeGuard;
  if (guard == nullptr || !IsReadFault(*pointers->ExceptionRecord)) return EXCEPTION_CONTINUE_SEARCH;
  guard->faultCode = pointers->ExceptionRecord->ExceptionCode;
  *pointers->ContextRecord = guard->resume;
  return EXCEPTION_CONTINUE_EXECUTION;
}

std::int32_t SystemErrorOfFault(DWORD faultCode) {
  return faultCode == EXCEPTION_IN_PAGE_ERROR ? ERROR_IO_DEVICE : ERROR_NOACCESS;
}

}  // namespace

HResult RunGuarded(GuardedFunction function, void* context) {
  PVOID handler = AddVectoredExceptionHandler(1, OnException);
  if (handler == nullptr) return function(context);

  Guard guard;
  guard.faultCode = 0;
  Guard* outer = activeGuard;
  activeGuard = &guard;
  RtlCaptureContext(&guard.resume);
  HResult result;
  if (guard.faultCode == 0) {
    result = function(context);
  } else {
    SetLastSystemError(SystemErrorOfFault(guard.faultCode));
    result = LastErrorResult();
  }
  activeGuard = outer;
  RemoveVectoredExceptionHandler(handler);
  return result;
}

}  // namespace reelbox::platform

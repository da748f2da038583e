// The binary contract shared with the host: calling convention, result codes,
// interface identifiers and the three slots every interface starts with.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define RB_CALL __stdcall
#else
#define RB_CALL
#endif

namespace reelbox {

using HResult = std::int32_t;

// Generic result codes, as the Windows COM values.
constexpr HResult RESULT_OK = 0;
constexpr HResult RESULT_FALSE = 1;
constexpr HResult RESULT_NOTIMPL = static_cast<HResult>(0x80004001u);
constexpr HResult RESULT_NOINTERFACE = static_cast<HResult>(0x80004002u);
constexpr HResult RESULT_FAIL = static_cast<HResult>(0x80004005u);
constexpr HResult RESULT_OUTOFMEMORY = static_cast<HResult>(0x8007000Eu);
constexpr HResult RESULT_NOAGGREGATION = static_cast<HResult>(0x80040110u);

// The tape readers' own codes.
constexpr HResult TAPE_E_BADFORMAT = static_cast<HResult>(0x80040264u);
constexpr HResult TAPE_E_UNKNOWNTYPE = static_cast<HResult>(0x80040266u);
constexpr HResult TAPE_E_UNSUPPORTED = static_cast<HResult>(0x80040267u);

constexpr bool Failed(HResult result) { return result < 0; }
constexpr bool Succeeded(HResult result) { return result >= 0; }

// A system error number (Windows numbering) as a result code: 0x8007xxxx when
// positive, the number itself otherwise.
constexpr HResult ResultFromSystemError(std::int32_t error) {
  return error > 0 ? static_cast<HResult>(0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFFu))
                   : static_cast<HResult>(error);
}

// 16 bytes, laid out as Windows lays out a GUID.
struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};
static_assert(sizeof(Guid) == 16, "GUID layout");

inline bool operator==(const Guid& a, const Guid& b) { return std::memcmp(&a, &b, sizeof(Guid)) == 0; }
inline bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }

constexpr Guid IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Slots 0 to 2 of every interface. No virtual destructor: objects are freed by
// Release, and the table holds nothing but the slots.
struct IUnknown {
  virtual HResult RB_CALL QueryInterface(const Guid& riid, void** out) = 0;
  virtual std::uint32_t RB_CALL AddRef() = 0;
  virtual std::uint32_t RB_CALL Release() = 0;
};

// Opaque handles of the window system; natively they are whatever the
// stand-in services hand out.
using WindowHandle = void*;
using ModuleHandle = void*;
using MenuHandle = void*;
using IconHandle = void*;
using PropertyPageHandle = void*;

// Windows message parameters.
using MessageWParam = std::uintptr_t;
using MessageLParam = std::intptr_t;
using MessageResult = std::intptr_t;

// An open file of the platform, as the host's compression service receives it:
// a HANDLE on Windows, a file descriptor natively.
using NativeFileHandle = std::intptr_t;

// Releases a counted interface pointer and clears it.
template <typename T>
void SafeRelease(T*& object) {
  if (object != nullptr) {
    object->Release();
    object = nullptr;
  }
}

}  // namespace reelbox

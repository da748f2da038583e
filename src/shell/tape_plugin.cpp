#include "shell/tape_plugin.h"

#include <cstring>
#include <new>

#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "shell/module_state.h"
#include "snapshot/tape_snapshot.h"
#include "ui/cassette_recorder.h"
#include "ui/options_page.h"

namespace reelbox {
namespace {

constexpr const char* TAPE_EXTENSIONS[] = {".tap", ".blk", ".tzx", ".csw", ".voc", ".wav"};
constexpr std::uint32_t NEW_FILE_TYPES = 2;

void CopyText(char* destination, std::size_t capacity, const char* text) {
  std::strncpy(destination, text, capacity - 1);
  destination[capacity - 1] = '\0';
}

}  // namespace

TapePlugin::TapePlugin() : deck(&blockList) { ++liveObjectCount; }

TapePlugin::~TapePlugin() {
  if (shell != nullptr) {
    shell->SetSettingDword(SETTINGS_KEY, "Embed", embedTape);
    shell->SetSettingDword(SETTINGS_KEY, "Warn Embed Large Files", warnEmbedLargeFiles);
    SafeRelease(shell);
  }
  EmptyPrivateTapeFolder();
  --liveObjectCount;
  if (recorderWindow != nullptr) recorderWindow->ForgetOwner();
  // deck and blockList are destroyed next, in that order (members in reverse).
}

HResult TapePlugin::QueryInterface(const Guid& riid, void** out) {
  if (out == nullptr) return RESULT_FAIL;
  *out = nullptr;
  IUnknown* chosen = nullptr;
  if (riid == IID_IUnknown || riid == IID_IMediaHandler) {
    chosen = static_cast<IMediaHandler*>(this);
  } else if (riid == IID_IToolWindow) {
    chosen = static_cast<IToolWindow*>(this);
  } else if (riid == IID_IDevice) {
    chosen = static_cast<IDevice*>(this);
  } else if (riid == IID_IOptionsProvider) {
    chosen = static_cast<IOptionsProvider*>(this);
  }
  if (chosen == nullptr) return RESULT_NOINTERFACE;
  chosen->AddRef();
  *out = chosen;
  return RESULT_OK;
}

std::uint32_t TapePlugin::AddRef() { return static_cast<std::uint32_t>(++refCount); }

std::uint32_t TapePlugin::Release() {
  std::int32_t count = --refCount;
  if (count != 0) return static_cast<std::uint32_t>(count);
  delete this;
  return 0;
}

// ---- IMediaHandler ----

HResult TapePlugin::OpenMediaFromMemory(const void*, std::uint32_t, IMediaHost*, std::uint32_t) {
  return RESULT_NOTIMPL;
}
HResult TapePlugin::MediaSlot6(std::uintptr_t, std::uintptr_t) { return RESULT_NOTIMPL; }
HResult TapePlugin::MediaSlot8(std::uintptr_t, std::uintptr_t) { return RESULT_NOTIMPL; }
HResult TapePlugin::MediaSlot9(std::uintptr_t, std::uintptr_t) { return RESULT_NOTIMPL; }
HResult TapePlugin::MediaSlot10(std::uintptr_t) { return RESULT_NOTIMPL; }

HResult TapePlugin::GetCreateType(std::uint32_t index, CreateTypeInfo* info) {
  const bool tzx = index == 0;
  LoadResourceString(moduleInstance, tzx ? IDS_TZX_NAME : IDS_TAP_NAME, info->name, sizeof info->name);
  LoadResourceString(moduleInstance, tzx ? IDS_TZX_DESCRIPTION : IDS_TAP_DESCRIPTION, info->description,
                     sizeof info->description);
  IconHandle icon = LoadResourceIcon(moduleInstance, IDI_TAPE_FILE, 32);
  info->icon = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(icon));
  CopyText(info->extension, sizeof info->extension, tzx ? ".tzx" : ".tap");
  return RESULT_OK;
}

// Bit 1: GetExtensions with kind 2 lists the extensions this handler opens.
HResult TapePlugin::GetCapabilities(std::uint32_t* flags) {
  *flags = 3;
  return RESULT_OK;
}

HResult TapePlugin::GetFilterText(std::uint32_t kind, char* buffer, std::int32_t size) {
  if (kind != 1) return RESULT_FAIL;
  LoadResourceString(moduleInstance, IDS_FILTER_TEXT, buffer, size);
  return RESULT_OK;
}

HResult TapePlugin::GetExtensions(std::uint32_t kind, const char* const** list, std::uint32_t* count) {
  if (kind == 1) {
    *count = NEW_FILE_TYPES;
    return RESULT_OK;
  }
  if (kind == 2) {
    *list = TAPE_EXTENSIONS;
    *count = sizeof TAPE_EXTENSIONS / sizeof TAPE_EXTENSIONS[0];
    return RESULT_OK;
  }
  return RESULT_FAIL;
}

// ---- IOptionsProvider ----

OptionsTarget TapePlugin::Options() {
  OptionsTarget target;
  target.deck = &deck;
  target.recorder = &recorderWindow;
  target.embedTape = &embedTape;
  target.warnEmbedLargeFiles = &warnEmbedLargeFiles;
  target.owner = static_cast<IMediaHandler*>(this);
  return target;
}

HResult TapePlugin::CreatePage(IOptionsSheet* sheet, PropertyPageHandle* page) {
  if (page == nullptr) return RESULT_FAIL;
  return CreateOptionsPage(moduleInstance, sheet, Options(), page);
}

}  // namespace reelbox

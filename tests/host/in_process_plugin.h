// The plug-in linked into the program (the core library) instead of opened
// from its shared library, so that a test or benchmark can press the
// recorder's Play: the window has no host command for it yet, and auto play
// starts only for loaders whose sampling loop the deck recognises.
#pragma once

#include "engine/command_queue.h"
#include "host/reference_host.h"
#include "shell/tape_plugin.h"
#include "ui/cassette_recorder.h"

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox::host {

inline HostOptions InProcessPluginOptions() {
  HostOptions options;
  options.createInstance = &CreateInstance;
  return options;
}

// Queues Play as the recorder's button does; the deck takes it at the next
// frame start. Only for a host made with InProcessPluginOptions.
inline bool QueuePlay(ReferenceHost& host) {
  auto* plugin = static_cast<TapePlugin*>(host.Plugin().Device());
  CassetteRecorder* recorder = plugin != nullptr ? plugin->RecorderWindow() : nullptr;
  return recorder != nullptr && recorder->PostCommand(CMD_PLAY, 0, 0);
}

}  // namespace reelbox::host

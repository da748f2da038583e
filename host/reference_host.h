// The reference host: a headless 48K Spectrum that loads the plug-in from its
// shared library, gives it every host service it calls, and runs frames on
// the caller's thread, dispatching the plug-in's posted messages between them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/compression_service.h"
#include "host/emulated_machine.h"
#include "host/host_objects.h"
#include "host/host_shell.h"
#include "host/keyboard.h"
#include "host/media_host.h"
#include "host/plugin_library.h"
#include "host/settings_store.h"
#include "host/snapshot_handler.h"
#include "host/sound_device.h"
#include "host/szx_format.h"
#include "host/tape_watch.h"

namespace reelbox::host {

constexpr double TSTATES_PER_SECOND = 3500000.0;

struct HostOptions {
  std::uint32_t model = MODEL_48K;  // a machine number of the machine table
  // The folder of original ROM images; empty: the 16K and 48K run romPath and
  // other models cannot start.
  std::string romFolder;
  std::string romPath = REELBOX_DEFAULT_ROM;
  bool speechUnit = false;  // the speech unit is fitted and enabled
  // Lets the plug-in auto-load freshly opened tapes; blocked otherwise, as the
  // snapshots it hands over need the machine's original ROMs.
  bool autoLoad = false;
  std::string pluginPath;
  // When set, the plug-in object is made through this function instead of
  // the library at pluginPath.
  CreateInstanceFunction createInstance = nullptr;
  // An INI-style settings file, loaded at start and saved at shutdown; empty
  // keeps the settings in memory only.
  std::string settingsPath;
  bool realTime = false;    // what GetRealTimeFlag reports
  bool soundDevice = true;  // GetSoundDevice hands out a device
  bool keepSound = false;   // keep what the first sound buffer plays
  bool profile = false;     // time the plug-in's calls
  bool plugin = true;       // false: the machine runs alone
};

class ReferenceHost {
 public:
  explicit ReferenceHost(HostOptions options);
  ~ReferenceHost();
  ReferenceHost(const ReferenceHost&) = delete;
  ReferenceHost& operator=(const ReferenceHost&) = delete;

  // Loads the ROM and the plug-in, has it create its tool window, menu
  // commands and toolbar button, and attaches its device to the machine.
  // Settings and registry properties set before Start are what it finds. A
  // device that does not attach is not fatal: see Attached.
  HResult Start();
  bool Attached() const { return attached_; }
  HResult AttachResult() const { return attachResult_; }
  const std::string& Error() const { return error_; }

  // Hands a tape file to the plug-in as the host's File/Open does.
  HResult OpenTape(const std::string& path);
  // One frame: BeginFrame, the CPU with every even-port read offered to the
  // plug-in, EndFrame, the sound device's frame, then the posted messages.
  void RunFrame();
  void RunFrames(std::uint32_t count);
  bool Type(const std::string& text) { return typist_.Queue(text); }
  bool Typing() const { return typist_.Busy(); }
  void TypeChords(const std::vector<Chord>& chords) { typist_.QueueChords(chords); }
  // True when the machine runs the original ROMs of a ROM folder.
  bool OriginalRoms() const { return !options_.romFolder.empty(); }
  // Loads a zx-state snapshot, switching the machine to the snapshot's model
  // (its ROMs must be at hand) and handing chunks the host does not know to
  // the plug-in's LoadState. On failure Error() says why; the machine is
  // unchanged when the file is malformed.
  HResult LoadSnapshot(const std::uint8_t* data, std::size_t size);
  HResult LoadSnapshotFile(const std::string& path);
  // The machine as a zx-state file, with the plug-in's SaveState chunks.
  HResult SaveSnapshot(std::vector<std::uint8_t>* file);
  HResult SaveSnapshotFile(const std::string& path);
  SnapshotHandler& Snapshots() { return *snapshots_; }

  // Resets the machine and tells the plug-in.
  void ResetMachine();
  // Runs the plug-in's command that the host bound to key (e.g. 0x76, F7);
  // RESULT_FAIL when the plug-in registered none.
  HResult RunCommandForKey(std::uint32_t key);
  // The same for the command bound to key with exactly these modifiers (the
  // accelerator flags: 1 virtual key, 8 Ctrl, 0x10 Alt), as pressing the
  // accelerator does.
  HResult RunCommandForAccelerator(std::uint32_t key, std::uint32_t modifiers);
  // Detaches the plug-in, destroys the windows, releases the plug-in and
  // saves the settings. Also done by the destructor.
  void Shutdown();

  EmulatedMachine& Machine() { return *machine_; }
  Spectrum& Cpu() { return machine_->Machine(); }
  HostRegistry& Registry() { return registry_; }
  HostShell& Shell() { return *shell_; }
  SettingsStore& Settings() { return settings_; }
  SoundDevice& Sound() { return sound_; }
  MediaHost& Media() { return *media_; }
  HostDevice& Display() { return *display_; }
  const TapeWatch& Tape() const { return tape_; }
  PluginLibrary& Plugin() { return plugin_; }

  std::uint64_t Frames() const { return frames_; }
  double EmulatedSeconds() const { return static_cast<double>(tstates_) / TSTATES_PER_SECOND; }
  const MachineDescription& Description() const { return *desc_; }
  bool SpeechUnit() const { return speechUnit_; }
  void SetSpeechUnit(bool on);
  double PluginSeconds() { return machine_ ? machine_->Timer().Seconds() : 0.0; }

 private:
  static void ObserveMessage(void* context, void* window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam);

  HResult StartPlugin();
  HResult SwitchMachine(const MachineDescription& desc);
  void PassChunksToPlugin(const std::vector<SzxChunk>& chunks);

  HostOptions options_;
  std::string error_;
  SettingsStore settings_;
  HostRegistry registry_;
  SoundDevice sound_;
  ICompressionService* compression_ = CreateCompressionService();
  std::unique_ptr<HostDevice> display_;
  std::unique_ptr<HostDevice> beeper_;
  std::unique_ptr<EmulatedMachine> machine_;
  std::unique_ptr<MediaHost> media_;
  std::unique_ptr<HostShell> shell_;
  std::unique_ptr<SnapshotHandler> snapshots_;
  PluginLibrary plugin_;
  TapeWatch tape_;
  Typist typist_;
  bool attached_ = false;
  HResult attachResult_ = RESULT_FAIL;
  bool started_ = false;
  std::uint64_t frames_ = 0;
  std::uint64_t tstates_ = 0;
  const MachineDescription* desc_;
  bool speechUnit_ = false;
};

}  // namespace reelbox::host

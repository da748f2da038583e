#include "host/reference_host.h"

#include "host/rom_set.h"
#include "platform/posix/message_service/message_service.h"

namespace reelbox::host {

namespace {

// The speech unit's property that other plug-ins read.
constexpr const char* SPEECH_PROPERTY = "vocalis.dll\\@ENABLED";

}  // namespace

ReferenceHost::ReferenceHost(HostOptions options) : options_(std::move(options)) {
  desc_ = MachineByModel(options_.model);
  if (desc_ == nullptr) desc_ = MachineByModel(MODEL_48K);
  if (!options_.settingsPath.empty()) settings_.Load(options_.settingsPath);
  display_ = std::make_unique<HostDevice>("vistor.obj", [this](std::uint16_t port, std::uint8_t value) {
    if ((port & 1) == 0 && machine_) machine_->Machine().WriteUla(value);
  });
  beeper_ = std::make_unique<HostDevice>("beeper.obj", nullptr);
  registry_.AddObject(HOST_OBJECT_DEVICE, beeper_.get());
  registry_.AddObject(HOST_OBJECT_DEVICE, display_.get());
  sound_.KeepPlayedSound(options_.keepSound);
  media_ = std::make_unique<MediaHost>(&registry_, compression_, desc_->model);
  media_->BlockAutoLoad(!options_.autoLoad);
  SetSpeechUnit(options_.speechUnit);
  shell_ = std::make_unique<HostShell>(&settings_, &registry_);
  snapshots_ = std::make_unique<SnapshotHandler>(
      [this](const std::uint8_t* data, std::size_t size) { return LoadSnapshot(data, size); });
  registry_.AddObject(HOST_OBJECT_MEDIA_HANDLER, snapshots_.get());
}

ReferenceHost::~ReferenceHost() {
  Shutdown();
  SafeRelease(compression_);
}

void ReferenceHost::SetSpeechUnit(bool on) {
  speechUnit_ = on;
  registry_.SetDword(SPEECH_PROPERTY, on ? 1 : 0);
}

HResult ReferenceHost::Start() {
  if (started_) return RESULT_FALSE;
  std::vector<std::uint8_t> roms;
  if (!LoadRoms(*desc_, options_.romFolder, options_.romPath, &roms, &error_)) return RESULT_FAIL;
  machine_ = std::make_unique<EmulatedMachine>(*desc_, roms.data(), &registry_, &sound_);
  machine_->SetRealTime(options_.realTime);
  machine_->SetSoundAvailable(options_.soundDevice);
  machine_->Timer().Enable(options_.profile);
  rb_set_message_observer(&ReferenceHost::ObserveMessage, this);
  started_ = true;
  return options_.plugin ? StartPlugin() : RESULT_OK;
}

HResult ReferenceHost::StartPlugin() {
  HResult result =
      options_.createInstance != nullptr ? plugin_.Create(options_.createInstance) : plugin_.Load(options_.pluginPath);
  if (Failed(result)) {
    error_ = plugin_.Error();
    return result;
  }
  IToolWindow* window = plugin_.ToolWindow();
  result = window->Create(shell_->GetMainWindow(), shell_.get());
  if (Failed(result)) {
    error_ = "the plug-in could not create its tool window";
    return result;
  }
  std::uint32_t flags = 0;
  shell_->GetOptionFlags(&flags);
  window->AddMenuItems(flags & 1);
  window->AddToolbarButton();
  // A device that does not attach (S_FALSE while another plug-in replays
  // input, or a failure) leaves the machine running without it.
  attachResult_ = plugin_.Device()->Attach(machine_.get());
  attached_ = attachResult_ == RESULT_OK;
  if (attached_) machine_->SetPortDevice(plugin_.Device());
  rb_dispatch_messages();
  return RESULT_OK;
}

HResult ReferenceHost::OpenTape(const std::string& path) {
  if (plugin_.Media() == nullptr) return RESULT_FAIL;
  const HResult result = plugin_.Media()->OpenMedia(path.c_str(), media_.get(), 0);
  rb_dispatch_messages();
  return result;
}

void ReferenceHost::RunFrame() {
  Spectrum& cpu = machine_->Machine();
  typist_.Tick(cpu.Keys());
  IDevice* device = attached_ ? plugin_.Device() : nullptr;
  PluginTimer& timer = machine_->Timer();
  if (device != nullptr) timer.Time([&] { return device->BeginFrame(0); });
  cpu.RunFrame();
  if (device != nullptr) timer.Time([&] { return device->EndFrame(0, 0); });
  cpu.FinishFrame();
  sound_.AdvanceFrame();
  rb_dispatch_messages();  // the messages count in the frame that posted them
  ++frames_;
  tstates_ += cpu.FrameLength();
}

void ReferenceHost::RunFrames(std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) RunFrame();
}

void ReferenceHost::ResetMachine() {
  machine_->Machine().Reset();
  if (attached_) plugin_.Device()->Reset(0);
}

HResult ReferenceHost::RunCommandForKey(std::uint32_t key) {
  for (const HostCommand& command : shell_->Commands()) {
    if (command.key == key && plugin_.ToolWindow() != nullptr) {
      const HResult result = plugin_.ToolWindow()->OnCommand(command.id);
      rb_dispatch_messages();
      return result;
    }
  }
  return RESULT_FAIL;
}

HResult ReferenceHost::RunCommandForAccelerator(std::uint32_t key, std::uint32_t modifiers) {
  for (const HostCommand& command : shell_->Commands()) {
    if (command.key == key && command.modifiers == modifiers && plugin_.ToolWindow() != nullptr) {
      const HResult result = plugin_.ToolWindow()->OnCommand(command.id);
      rb_dispatch_messages();
      return result;
    }
  }
  return RESULT_FAIL;
}

void ReferenceHost::Shutdown() {
  if (!started_) return;
  if (attached_) {
    plugin_.Device()->Detach();
    machine_->SetPortDevice(nullptr);
    attached_ = false;
  }
  // The plug-in's windows go before its code does.
  rb_dispatch_messages();
  shell_->DestroyWindows();
  plugin_.Unload();
  rb_set_message_observer(nullptr, nullptr);
  if (!options_.settingsPath.empty()) settings_.Save(options_.settingsPath);
  started_ = false;
}

void ReferenceHost::ObserveMessage(void* context, void*, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
  auto* self = static_cast<ReferenceHost*>(context);
  self->tape_.Observe(message, wParam, lParam, self->frames_);
}

}  // namespace reelbox::host

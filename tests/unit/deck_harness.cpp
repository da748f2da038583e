#include "deck_harness.h"

#include <algorithm>
#include <utility>

#include "platform/window_messages.h"
#include "ui/cassette_recorder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "platform/posix/message_service/message_service.h"
#endif

extern "C" reelbox::HResult RB_CALL CreateInstance(reelbox::IUnknown* outer, const reelbox::Guid& riid, void** out);

namespace reelbox::test {
namespace {

void DispatchPostedMessages() {
#if defined(_WIN32)
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
#else
  rb_dispatch_messages();
#endif
}

}  // namespace

DeckHarness::DeckHarness() {
  eventWindow_ = platform::CreateMessageWindow(nullptr, &DeckHarness::OnMessage, this);
  void* out = nullptr;
  CreateInstance(nullptr, IID_IDevice, &out);
  device_ = static_cast<IDevice*>(out);
  plugin_ = static_cast<TapePlugin*>(device_);
  machine.Poke(LOADER_LOOP_ADDRESS, {0xA9, 0xE6, 0x20, 0x28});
  machine.registers[REG_PC] = LOADER_LOOP_ADDRESS;
  device_->Attach(&machine);
  Deck().notifyWindow = eventWindow_;
  device_->BeginFrame(0);
}

DeckHarness::~DeckHarness() {
  if (CassetteRecorder* recorder = plugin_->RecorderWindow()) platform::DestroyMessageWindow(recorder->Window());
  device_->Detach();
  device_->Release();
  DispatchPostedMessages();
  platform::DestroyMessageWindow(eventWindow_);
}

std::vector<TapeEvent> DeckHarness::Events() {
  DispatchPostedMessages();
  return std::exchange(events_, {});
}

MessageResult DeckHarness::OnMessage(void* context, WindowHandle, std::uint32_t message, MessageWParam wParam,
                                     MessageLParam lParam) {
  if (message == WM_TAPE_EVENT) {
    static_cast<DeckHarness*>(context)->events_.push_back(TapeEvent{static_cast<std::uint32_t>(wParam), lParam});
  }
  return 0;
}

void DeckHarness::Load(const std::vector<Bytes>& blocks) {
  AppendBlocks(Tape(), blocks);
  Deck().ResetDeck();
}

void DeckHarness::OpenRecorder() {
  plugin_->Create(nullptr, nullptr);
  Deck().notifyWindow = eventWindow_;
}

bool DeckHarness::Post(std::uint32_t code, std::uint32_t arg1) {
  return plugin_->RecorderWindow()->PostCommand(code, arg1, 0);
}

std::uint8_t DeckHarness::ReadEar() {
  std::uint8_t value = 0xBF;
  device_->ReadPort(0xFE, &value);
  return value & 0x40;
}

void DeckHarness::BeginFrame() {
  frameStart_ += machine.frameLength;
  machine.clock = 0;
  device_->BeginFrame(0);
}

void DeckHarness::NextFrame() {
  machine.clock = machine.frameLength;
  device_->EndFrame(0, 0);
  BeginFrame();
}

std::vector<Transition> DeckHarness::Run(std::size_t maxTransitions, std::int64_t maxTime) {
  std::vector<Transition> seen;
  std::uint8_t level = Deck().earLevel;
  while (seen.size() < maxTransitions && Deck().state == DECK_PLAYING && Now() < maxTime) {
    const std::int64_t due = std::max<std::int64_t>(Deck().untilEdge, 1);
    if (machine.clock + due >= machine.frameLength) {
      NextFrame();
    } else {
      machine.clock += static_cast<std::uint32_t>(due);
    }
    const std::uint8_t now = ReadEar();
    if (now != level) seen.push_back(Transition{Now(), now});
    level = now;
  }
  return seen;
}

std::vector<std::int64_t> PulseLengths(const std::vector<Transition>& transitions, std::int64_t start) {
  std::vector<std::int64_t> lengths;
  for (const Transition& transition : transitions) {
    lengths.push_back(transition.time - start);
    start = transition.time;
  }
  return lengths;
}

std::vector<std::int64_t> DataPulses(const Bytes& data, std::uint32_t usedBits, std::int64_t zero, std::int64_t one) {
  std::vector<std::int64_t> pulses;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const std::uint32_t bits = i + 1 == data.size() ? usedBits : 8;
    for (std::uint32_t bit = 0; bit < bits; ++bit) {
      const std::int64_t pulse = (data[i] << bit) & 0x80 ? one : zero;
      pulses.insert(pulses.end(), {pulse, pulse});
    }
  }
  return pulses;
}

std::vector<std::int64_t> StandardPulses(const Bytes& data) {
  std::vector<std::int64_t> pulses(data[0] == 0xFF ? 3220 : 8064, 2168);
  pulses.insert(pulses.end(), {667, 735});
  const std::vector<std::int64_t> bits = DataPulses(data, 8, 855, 1710);
  pulses.insert(pulses.end(), bits.begin(), bits.end());
  return pulses;
}

}  // namespace reelbox::test

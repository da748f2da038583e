// A DirectSound-shaped sound device with no sound card behind it: buffers are
// plain memory, and the play cursor of every playing buffer moves on by one
// frame's worth of bytes at each emulated frame. What the buffers play can be
// kept, to be written out as a WAV file.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "contract/sound_interfaces.h"
#include "host/ref_count.h"

namespace reelbox::host {

constexpr HResult RESULT_INVALIDARG = static_cast<HResult>(0x80070057u);
constexpr std::uint32_t FRAMES_PER_SECOND = 50;

class SoundBuffer final : public IDirectSoundBuffer {
 public:
  SoundBuffer(const SoundBufferDesc& desc, const WaveFormat& format);

  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override;
  HResult RB_CALL GetCaps(void*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetCurrentPosition(std::uint32_t* play, std::uint32_t* write) override;
  HResult RB_CALL GetFormat(WaveFormat* format, std::uint32_t size, std::uint32_t* written) override;
  HResult RB_CALL GetVolume(std::int32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetPan(std::int32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetFrequency(std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL GetStatus(std::uint32_t* status) override;
  HResult RB_CALL Initialize(void*, const SoundBufferDesc*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL Lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1, void** part2,
                       std::uint32_t* bytes2, std::uint32_t flags) override;
  HResult RB_CALL Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) override;
  HResult RB_CALL SetCurrentPosition(std::uint32_t position) override;
  HResult RB_CALL SetFormat(const WaveFormat*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetVolume(std::int32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetPan(std::int32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetFrequency(std::uint32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL Stop() override;
  HResult RB_CALL Unlock(void* part1, std::uint32_t bytes1, void* part2, std::uint32_t bytes2) override;
  HResult RB_CALL Restore() override;

  // Moves the play cursor on by bytes, appending what passed it to played
  // when the buffer is playing; false when it is not.
  bool Advance(std::uint32_t bytes, std::vector<std::uint8_t>* played);
  // Makes the next Lock fail as a lost buffer does, until Restore.
  void Lose() { lost_ = true; }

  bool Playing() const { return playing_; }
  bool Released() const { return refs_.Count() == 0; }
  std::uint32_t Flags() const { return flags_; }
  const WaveFormat& Format() const { return format_; }
  std::uint32_t PlayCalls() const { return playCalls_; }

 private:
  RefCount refs_;
  std::uint32_t flags_;
  WaveFormat format_;
  std::vector<std::uint8_t> data_;
  std::uint32_t playPosition_ = 0;
  bool playing_ = false;
  bool looping_ = false;
  bool locked_ = false;
  bool lost_ = false;
  std::uint32_t playCalls_ = 0;
};

class SoundDevice final : public IDirectSound {
 public:
  HResult RB_CALL QueryInterface(const Guid& riid, void** out) override;
  std::uint32_t RB_CALL AddRef() override { return refs_.Add(); }
  std::uint32_t RB_CALL Release() override { return refs_.Drop(); }
  HResult RB_CALL CreateSoundBuffer(const SoundBufferDesc* desc, IDirectSoundBuffer** buffer, IUnknown* outer) override;
  HResult RB_CALL GetCaps(void*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL DuplicateSoundBuffer(IDirectSoundBuffer*, IDirectSoundBuffer**) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetCooperativeLevel(WindowHandle, std::uint32_t) override { return RESULT_OK; }
  HResult RB_CALL Compact() override { return RESULT_OK; }
  HResult RB_CALL GetSpeakerConfig(std::uint32_t*) override { return RESULT_NOTIMPL; }
  HResult RB_CALL SetSpeakerConfig(std::uint32_t) override { return RESULT_NOTIMPL; }
  HResult RB_CALL Initialize(const Guid*) override { return RESULT_OK; }

  // One emulated frame has passed: every playing buffer plays a fiftieth of a
  // second. When keeping is on, the first buffer's output (silence while it
  // is stopped) is appended to Played.
  void AdvanceFrame();
  void KeepPlayedSound(bool on) { keep_ = on; }
  const std::vector<std::uint8_t>& Played() const { return played_; }
  // The first buffer created, or null.
  SoundBuffer* FirstBuffer() const { return buffers_.empty() ? nullptr : buffers_.front().get(); }
  std::uint32_t References() const { return refs_.Count(); }

 private:
  RefCount refs_;
  std::vector<std::unique_ptr<SoundBuffer>> buffers_;
  bool keep_ = false;
  std::vector<std::uint8_t> played_;
};

}  // namespace reelbox::host

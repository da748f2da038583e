#include "host/sound_device.h"

#include <algorithm>
#include <cstring>

#include "host/host_objects.h"

namespace reelbox::host {
namespace {

constexpr std::uint32_t DSBSTATUS_PLAYING = 1;
constexpr std::uint32_t DSBSTATUS_LOOPING = 4;
constexpr std::uint32_t DSBLOCK_ENTIREBUFFER = 2;
constexpr std::uint32_t MAX_BUFFER_BYTES = 16u << 20;
constexpr HResult DSERR_INVALIDCALL = static_cast<HResult>(0x88780032u);

bool FormatUsable(const WaveFormat& format) {
  return format.formatTag == 1 && format.channels >= 1 && format.channels <= 2 &&
         (format.bitsPerSample == 8 || format.bitsPerSample == 16) && format.samplesPerSec > 0 &&
         format.blockAlign == format.channels * format.bitsPerSample / 8 &&
         format.avgBytesPerSec == format.samplesPerSec * format.blockAlign;
}

}  // namespace

SoundBuffer::SoundBuffer(const SoundBufferDesc& desc, const WaveFormat& format)
    : flags_(desc.flags), format_(format), data_(desc.bufferBytes, 0) {}

HResult SoundBuffer::QueryInterface(const Guid& riid, void** out) {
  return QueryWithRegistry(this, nullptr, riid, out);
}

std::uint32_t SoundBuffer::Release() {
  const std::uint32_t left = refs_.Drop();
  if (left == 0) playing_ = false;  // the device keeps the memory until it goes
  return left;
}

HResult SoundBuffer::GetCurrentPosition(std::uint32_t* play, std::uint32_t* write) {
  if (play != nullptr) *play = playPosition_;
  if (write != nullptr) *write = playPosition_;
  return RESULT_OK;
}

HResult SoundBuffer::GetFormat(WaveFormat* format, std::uint32_t size, std::uint32_t* written) {
  const std::uint32_t copied = std::min<std::uint32_t>(size, sizeof format_);
  if (format != nullptr) std::memcpy(format, &format_, copied);
  if (written != nullptr) *written = format != nullptr ? copied : static_cast<std::uint32_t>(sizeof format_);
  return RESULT_OK;
}

HResult SoundBuffer::GetStatus(std::uint32_t* status) {
  if (status == nullptr) return RESULT_INVALIDARG;
  *status = (playing_ ? DSBSTATUS_PLAYING : 0) | (playing_ && looping_ ? DSBSTATUS_LOOPING : 0);
  return RESULT_OK;
}

HResult SoundBuffer::Lock(std::uint32_t offset, std::uint32_t bytes, void** part1, std::uint32_t* bytes1, void** part2,
                          std::uint32_t* bytes2, std::uint32_t flags) {
  if (part1 == nullptr || bytes1 == nullptr) return RESULT_INVALIDARG;
  if (lost_) return DSERR_BUFFERLOST;
  const auto size = static_cast<std::uint32_t>(data_.size());
  if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
  if (offset >= size || bytes == 0 || bytes > size) return RESULT_INVALIDARG;
  if (locked_) return DSERR_INVALIDCALL;
  const std::uint32_t first = std::min(bytes, size - offset);
  *part1 = data_.data() + offset;
  *bytes1 = first;
  if (part2 != nullptr) *part2 = first < bytes ? data_.data() : nullptr;
  if (bytes2 != nullptr) *bytes2 = bytes - first;
  locked_ = true;
  return RESULT_OK;
}

HResult SoundBuffer::Unlock(void* part1, std::uint32_t bytes1, void*, std::uint32_t) {
  if (!locked_) return DSERR_INVALIDCALL;
  const auto* first = static_cast<std::uint8_t*>(part1);
  if (first < data_.data() || first + bytes1 > data_.data() + data_.size()) return RESULT_INVALIDARG;
  locked_ = false;
  return RESULT_OK;
}

HResult SoundBuffer::Play(std::uint32_t, std::uint32_t, std::uint32_t flags) {
  if (lost_) return DSERR_BUFFERLOST;
  playing_ = true;
  looping_ = (flags & DSBPLAY_LOOPING) != 0;
  ++playCalls_;
  return RESULT_OK;
}

HResult SoundBuffer::SetCurrentPosition(std::uint32_t position) {
  if (position >= data_.size()) return RESULT_INVALIDARG;
  playPosition_ = position;
  return RESULT_OK;
}

HResult SoundBuffer::Stop() {
  playing_ = false;
  return RESULT_OK;
}

HResult SoundBuffer::Restore() {
  lost_ = false;
  return RESULT_OK;
}

bool SoundBuffer::Advance(std::uint32_t bytes, std::vector<std::uint8_t>* played) {
  if (!playing_) return false;
  const auto size = static_cast<std::uint32_t>(data_.size());
  for (std::uint32_t done = 0; done < bytes;) {
    const std::uint32_t chunk = std::min(bytes - done, size - playPosition_);
    if (played != nullptr) {
      played->insert(played->end(), data_.begin() + playPosition_, data_.begin() + playPosition_ + chunk);
    }
    done += chunk;
    playPosition_ += chunk;
    if (playPosition_ < size) continue;
    playPosition_ = 0;
    if (!looping_) {
      playing_ = false;
      if (played != nullptr) played->insert(played->end(), bytes - done, 0);
      break;
    }
  }
  return true;
}

HResult SoundDevice::QueryInterface(const Guid& riid, void** out) {
  return QueryWithRegistry(this, nullptr, riid, out);
}

HResult SoundDevice::CreateSoundBuffer(const SoundBufferDesc* desc, IDirectSoundBuffer** buffer, IUnknown* outer) {
  if (buffer == nullptr) return RESULT_INVALIDARG;
  *buffer = nullptr;
  if (outer != nullptr) return RESULT_NOAGGREGATION;
  // The five-field description: 20 bytes with 32-bit pointers, 24 with 64-bit.
  if (desc == nullptr || desc->size < 20 || desc->format == nullptr) return RESULT_INVALIDARG;
  if (desc->bufferBytes == 0 || desc->bufferBytes > MAX_BUFFER_BYTES || !FormatUsable(*desc->format)) {
    return RESULT_INVALIDARG;
  }
  buffers_.push_back(std::make_unique<SoundBuffer>(*desc, *desc->format));
  *buffer = buffers_.back().get();
  return RESULT_OK;
}

void SoundDevice::AdvanceFrame() {
  for (std::size_t i = 0; i < buffers_.size(); ++i) {
    SoundBuffer& buffer = *buffers_[i];
    const std::uint32_t bytes = buffer.Format().avgBytesPerSec / FRAMES_PER_SECOND;
    const bool kept = keep_ && i == 0;
    if (!buffer.Advance(bytes, kept ? &played_ : nullptr) && kept) played_.insert(played_.end(), bytes, 0);
  }
}

}  // namespace reelbox::host

#include "host/machine_snapshot.h"

#include <algorithm>
#include <cstring>

namespace reelbox::host {
namespace {

constexpr std::uint8_t Z80_HALTED = 2;

std::uint8_t ReadR(const Spectrum& spectrum) {
  return static_cast<std::uint8_t>((spectrum.Register(regR) & 0x7F) | (spectrum.Register(regR7) & 0x80));
}

SzxZ80 CaptureZ80(const Spectrum& spectrum) {
  SzxZ80 z80;
  const auto reg = [&spectrum](Z80_REG_T r) { return spectrum.Register(r); };
  z80.af = reg(regAF);
  z80.bc = reg(regBC);
  z80.de = reg(regDE);
  z80.hl = reg(regHL);
  z80.af2 = reg(regAF_);
  z80.bc2 = reg(regBC_);
  z80.de2 = reg(regDE_);
  z80.hl2 = reg(regHL_);
  z80.ix = reg(regIX);
  z80.iy = reg(regIY);
  z80.sp = reg(regSP);
  z80.pc = reg(regPC);
  z80.i = static_cast<std::uint8_t>(reg(regI));
  z80.r = ReadR(spectrum);
  z80.iff1 = static_cast<std::uint8_t>(reg(regIFF1) != 0);
  z80.iff2 = static_cast<std::uint8_t>(reg(regIFF2) != 0);
  z80.im = static_cast<std::uint8_t>(reg(regIM));
  const std::uint32_t clock = spectrum.FrameClock();
  z80.cyclesStart = clock;
  const std::uint32_t interrupt = spectrum.Description().interruptTStates;
  z80.holdIntCycles = static_cast<std::uint8_t>(clock < interrupt ? interrupt - clock : 0);
  z80.flags = z80ex_doing_halt(const_cast<Z80EX_CONTEXT*>(spectrum.Cpu())) ? Z80_HALTED : 0;
  return z80;
}

void RestoreZ80(Spectrum& spectrum, const SzxZ80& z80) {
  const std::pair<Z80_REG_T, std::uint16_t> pairs[] = {
      {regAF, z80.af},   {regBC, z80.bc},   {regDE, z80.de},          {regHL, z80.hl},
      {regAF_, z80.af2}, {regBC_, z80.bc2}, {regDE_, z80.de2},        {regHL_, z80.hl2},
      {regIX, z80.ix},   {regIY, z80.iy},   {regSP, z80.sp},          {regI, z80.i},
      {regR, z80.r},     {regR7, z80.r},    {regIFF1, z80.iff1 != 0}, {regIFF2, z80.iff2 != 0},
  };
  for (const auto& pair : pairs) spectrum.SetRegister(pair.first, pair.second);
  spectrum.SetRegister(regIM, std::min<std::uint8_t>(z80.im, 2));
  // A halted CPU runs its HALT again.
  spectrum.SetRegister(regPC, static_cast<std::uint16_t>(z80.pc - ((z80.flags & Z80_HALTED) ? 1 : 0)));
  spectrum.SetFrameClock(z80.cyclesStart % spectrum.FrameLength());
}

}  // namespace

SzxState CaptureMachine(const Spectrum& spectrum, bool speechUnit) {
  const MachineDescription& desc = spectrum.Description();
  SzxState state;
  state.machineId = desc.szxMachineId;
  state.z80 = CaptureZ80(spectrum);
  state.border = spectrum.Border();
  state.port7ffd = spectrum.Paging().port7ffd;
  state.port1ffd = spectrum.Paging().port1ffd;
  state.portFe = spectrum.UlaOut();
  for (std::uint32_t number = 0; number < std::max<std::uint32_t>(desc.ramPages, 8); ++number) {
    const std::uint8_t* bytes = spectrum.RamPage(number);
    if (bytes == nullptr) continue;
    SzxPage page;
    page.number = static_cast<std::uint8_t>(number);
    std::memcpy(page.bytes.data(), bytes, SZX_PAGE_BYTES);
    state.pages.push_back(page);
  }
  state.hasKeyboard = true;
  if (desc.ay) {
    state.hasAy = true;
    state.aySelected = spectrum.Ay().Selected();
    std::copy(spectrum.Ay().Registers().begin(), spectrum.Ay().Registers().end(), state.ayRegisters.begin());
  }
  if (desc.diskController) {
    state.hasPlus3 = true;
    state.plus3Drives = 1;
    state.plus3Motor = static_cast<std::uint8_t>((state.port1ffd & 0x08) != 0);
  }
  state.hasSpeech = speechUnit;
  return state;
}

bool RestoreMachine(Spectrum& spectrum, const SzxState& state, std::string* error) {
  const MachineDescription& desc = spectrum.Description();
  if (state.machineId != desc.szxMachineId) {
    *error = "the snapshot's machine id " + std::to_string(state.machineId) + " is not the " + desc.title;
    return false;
  }
  spectrum.Reset();
  spectrum.Keys().ReleaseAll();
  for (const SzxPage& page : state.pages) {
    std::uint8_t* bytes = spectrum.RamPage(page.number);
    if (bytes != nullptr) std::memcpy(bytes, page.bytes.data(), SZX_PAGE_BYTES);
  }
  spectrum.SetPaging(PagingState{state.port7ffd, state.port1ffd});
  spectrum.WriteUla(static_cast<std::uint8_t>((state.portFe & 0xF8) | (state.border & 7)));
  if (state.hasAy) {
    std::uint8_t registers[AyChip::REGISTERS];
    std::copy(state.ayRegisters.begin(), state.ayRegisters.end(), registers);
    spectrum.Ay().Restore(state.aySelected, registers);
  }
  RestoreZ80(spectrum, state.z80);
  return true;
}

}  // namespace reelbox::host

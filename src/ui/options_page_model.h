// The "Cassette Recorder" options page's decisions: what each control shows
// when the page opens, which controls are enabled, and what Apply writes.
// The Win32 page only moves these states to and from its controls.
#pragma once

#include <cstdint>

#include "contract/com.h"
#include "ui/apply_options.h"

namespace reelbox {

class CassetteRecorder;
class TapeDeck;

// What the page edits: the deck's flags, the plug-in's snapshot settings and
// the recorder window, which may come and go while the page is open.
struct OptionsTarget {
  TapeDeck* deck = nullptr;
  CassetteRecorder* const* recorder = nullptr;  // the plug-in's pointer to its window object
  std::uint32_t* embedTape = nullptr;
  std::uint32_t* warnEmbedLargeFiles = nullptr;
  IUnknown* owner = nullptr;  // the plug-in, held while a page is alive
};

// The page's check boxes and radio buttons, by control id.
constexpr int IDC_AUTO_LOAD = 1006;
constexpr int IDC_AUTO_PLAY = 1007;
constexpr int IDC_LOADING_NOISE = 1008;
constexpr int IDC_FLASH_LOADING = 1009;
constexpr int IDC_FAST_LOADING = 1010;
constexpr int IDC_LINK_TAPE = 1011;
constexpr int IDC_EMBED_TAPE = 1012;
constexpr int IDC_EDGE_DETECTION = 1015;
constexpr int IDC_WARN_EMBED = 1016;
constexpr int IDC_LOUD_NOISE = 1017;
constexpr int IDC_STOP_AT_END = 1018;

// Every control whose state the page sets and reads, in template order.
constexpr int OPTION_BUTTONS[] = {IDC_AUTO_LOAD,   IDC_AUTO_PLAY,    IDC_LOADING_NOISE, IDC_LOUD_NOISE,
                                  IDC_STOP_AT_END, IDC_FAST_LOADING, IDC_FLASH_LOADING, IDC_EDGE_DETECTION,
                                  IDC_LINK_TAPE,   IDC_EMBED_TAPE,   IDC_WARN_EMBED};

// Check states of the page's buttons, one bit per control id from 1006.
class OptionChecks {
 public:
  bool Checked(int id) const { return (bits_ >> Bit(id)) & 1u; }
  void Set(int id, bool checked) { bits_ = checked ? bits_ | (1u << Bit(id)) : bits_ & ~(1u << Bit(id)); }

 private:
  static int Bit(int id) { return id - IDC_AUTO_LOAD; }
  std::uint32_t bits_ = 0;
};

// The states the page opens with.
OptionChecks ReadOptions(const OptionsTarget& target);
// Whether the control is enabled, given the page's current checks.
bool IsOptionEnabled(const OptionChecks& checks, int id);
// Apply: the deck's flags and the snapshot settings directly, then the
// window's four options (ApplyOptions), disabled controls included.
void WriteOptions(const OptionChecks& checks, const OptionsTarget& target);

// Pairs of control id and help context id, ended by 0, 0.
extern const std::uint32_t OPTIONS_HELP_IDS[];

}  // namespace reelbox

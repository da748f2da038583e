#include "host/basic_entry.h"

namespace reelbox::host {
namespace {

constexpr std::uint32_t PROMPT_FRAMES = 250;  // a +3 is ready for the next command
constexpr std::uint32_t SETTLE_FRAMES = 150;  // the chosen BASIC has set itself up
constexpr std::uint32_t MENU_ITEM_128 = 1;    // menu rows below the first
constexpr std::uint32_t MENU_ITEM_48 = 3;

const Chord CURSOR_DOWN = {KEY_CAPS_SHIFT, KEY_6};
const Chord ENTER = {KEY_ENTER};

void RunUntilTyped(ReferenceHost& host) {
  while (host.Typing()) host.RunFrame();
  host.RunFrames(SETTLE_FRAMES);
}

std::vector<Chord> TextChords(const std::string& text) {
  std::vector<Chord> chords;
  for (char c : text) {
    Chord chord;
    if (ChordForCharacter(c, &chord)) chords.push_back(chord);
  }
  return chords;
}

}  // namespace

bool EnterBasic(ReferenceHost& host, BasicMode mode, std::string* error) {
  const MachineDescription& desc = host.Description();
  if (!desc.editor128) {
    host.RunFrames(desc.menuFrames);
    if (mode == BasicMode::Basic48) return true;
    *error = std::string("the ") + desc.title + " has no 128 BASIC";
    return false;
  }
  host.RunFrames(desc.menuFrames);
  std::vector<Chord> keys(mode == BasicMode::Basic128 ? MENU_ITEM_128 : MENU_ITEM_48, CURSOR_DOWN);
  keys.push_back(ENTER);
  host.TypeChords(keys);
  RunUntilTyped(host);
  const bool mode128 = (host.Cpu().Peek(SYSVAR_FLAGS) & FLAGS_128K_MODE) != 0;
  if (mode128 && desc.diskController) {
    // +3 BASIC loads from its disk drive until told that the tape is the default.
    host.RunFrames(PROMPT_FRAMES);
    host.TypeChords(TextChords("LOAD \"t:\"\n"));
    RunUntilTyped(host);
    host.TypeChords({ENTER});  // leaves the report for the editor
    RunUntilTyped(host);
  }
  if (mode128 == (mode == BasicMode::Basic128)) return true;
  *error = std::string("the ") + desc.title + "'s menu did not lead to " +
           (mode == BasicMode::Basic128 ? "128 BASIC" : "48 BASIC");
  return false;
}

std::vector<Chord> LoadCommandChords(const ReferenceHost& host, BasicMode mode, bool code) {
  if (mode == BasicMode::Basic128 || !host.OriginalRoms()) {
    return TextChords(code ? "LOAD \"\" CODE\n" : "LOAD \"\"\n");
  }
  std::vector<Chord> chords = TextChords("j\"\"");  // J in keyword mode: LOAD
  if (code) {
    chords.push_back({KEY_CAPS_SHIFT, KEY_SYMBOL_SHIFT});  // extended mode
    chords.push_back(TextChords("i")[0]);                  // CODE
  }
  chords.push_back(ENTER);
  return chords;
}

}  // namespace reelbox::host

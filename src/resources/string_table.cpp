#include "resources/strings.h"

namespace reelbox {
namespace {

struct StringEntry {
  int id;
  const char* text;
};

constexpr StringEntry STRING_TABLE[] = {
#define STRING(id, text) {id, text},
#include "resources/strings.def"
#undef STRING
};

}  // namespace

const char* FindResourceString(int id) {
  for (const StringEntry& entry : STRING_TABLE) {
    if (entry.id == id) return entry.text;
  }
  return nullptr;
}

}  // namespace reelbox

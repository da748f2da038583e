#include "tools/result_words.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace reelbox::tools {
namespace {

// "TZX" for "games/x.tzx"; empty without an extension.
std::string FormatName(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string name = path.substr(dot + 1);
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
  return name;
}

std::string Unsupported(const std::string& format) {
  if (format == "CSW") return "unsupported CSW compression";
  if (format == "WAV") return "unsupported WAV sample format";
  if (format == "VOC") return "unsupported VOC sound format";
  return "a variant of the format that is not played";
}

}  // namespace

std::string ResultWords(HResult code, const std::string& path) {
  const std::string format = FormatName(path);
  switch (static_cast<std::uint32_t>(code)) {
    case 0x00000000u:
      return "success";
    case 0x00000001u:
      return "nothing done";
    case 0x80004001u:
      return "not implemented";
    case 0x80004002u:
      return "no such interface";
    case 0x80004005u:
      return "failure";
    case 0x8007000Eu:
      return "out of memory";
    case 0x80040110u:
      return "no aggregation";
    case 0x80070002u:
      return "no such file";
    case 0x80070003u:
      return "no such folder";
    case 0x80070005u:
      return "access denied";
    case 0x80070020u:
      return "the file is in use";
    case 0x80070057u:
      return "invalid parameter";
    case 0x8007001Eu:
      return "the file cannot be read";
    case 0x80040264u:
      return format.empty() ? "not a tape file" : "not a " + format + " file";
    case 0x80040266u:
      return "not a tape file the plug-in knows by its extension";
    case 0x80040267u:
      return Unsupported(format);
    default: {
      const std::uint32_t bits = static_cast<std::uint32_t>(code);
      if ((bits & 0xFFFF0000u) == 0x80070000u) return "system error " + std::to_string(bits & 0xFFFFu);
      return "unknown result";
    }
  }
}

}  // namespace reelbox::tools

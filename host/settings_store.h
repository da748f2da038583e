// The host's settings: 32-bit values and strings by key and name, kept in
// memory and, when a file is named, loaded from and saved to an INI-style file:
//   [Plugins\Reelbox]
//   FlashLoad=dword:1
//   Last Folder=string:/home/user/tapes
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace reelbox::host {

class SettingsStore {
 public:
  bool GetDword(const std::string& key, const std::string& name, std::uint32_t* value) const;
  void SetDword(const std::string& key, const std::string& name, std::uint32_t value);
  bool GetString(const std::string& key, const std::string& name, std::string* value) const;
  void SetString(const std::string& key, const std::string& name, const std::string& value);
  bool Has(const std::string& key, const std::string& name) const;

  // Replaces the contents with the file's; a missing file leaves the store empty.
  bool Load(const std::string& path);
  bool Save(const std::string& path) const;

 private:
  struct Value {
    bool isDword;
    std::uint32_t dword;
    std::string text;
  };
  static std::string Id(const std::string& key, const std::string& name) { return key + '\n' + name; }
  std::map<std::string, Value> values_;
};

}  // namespace reelbox::host

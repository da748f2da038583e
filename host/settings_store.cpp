#include "host/settings_store.h"

#include <cstdlib>
#include <fstream>

namespace reelbox::host {
namespace {

constexpr const char* DWORD_PREFIX = "dword:";
constexpr const char* STRING_PREFIX = "string:";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

bool SettingsStore::GetDword(const std::string& key, const std::string& name, std::uint32_t* value) const {
  auto found = values_.find(Id(key, name));
  if (found == values_.end() || !found->second.isDword) return false;
  *value = found->second.dword;
  return true;
}

void SettingsStore::SetDword(const std::string& key, const std::string& name, std::uint32_t value) {
  values_[Id(key, name)] = Value{true, value, {}};
}

bool SettingsStore::GetString(const std::string& key, const std::string& name, std::string* value) const {
  auto found = values_.find(Id(key, name));
  if (found == values_.end() || found->second.isDword) return false;
  *value = found->second.text;
  return true;
}

void SettingsStore::SetString(const std::string& key, const std::string& name, const std::string& value) {
  values_[Id(key, name)] = Value{false, 0, value};
}

bool SettingsStore::Has(const std::string& key, const std::string& name) const {
  return values_.count(Id(key, name)) != 0;
}

bool SettingsStore::Load(const std::string& path) {
  values_.clear();
  std::ifstream file(path);
  if (!file) return false;
  std::string line;
  std::string key;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      key = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || line[0] == ';') continue;
    const std::string name = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (StartsWith(value, DWORD_PREFIX)) {
      SetDword(key, name, static_cast<std::uint32_t>(std::strtoul(value.c_str() + 6, nullptr, 0)));
    } else if (StartsWith(value, STRING_PREFIX)) {
      SetString(key, name, value.substr(7));
    }
  }
  return true;
}

bool SettingsStore::Save(const std::string& path) const {
  std::ofstream file(path, std::ios::trunc);
  if (!file) return false;
  std::string currentKey;
  bool first = true;
  for (const auto& entry : values_) {
    const std::size_t split = entry.first.find('\n');
    const std::string key = entry.first.substr(0, split);
    if (first || key != currentKey) {
      file << (first ? "" : "\n") << '[' << key << "]\n";
      currentKey = key;
      first = false;
    }
    file << entry.first.substr(split + 1) << '=';
    if (entry.second.isDword) {
      file << DWORD_PREFIX << entry.second.dword << '\n';
    } else {
      file << STRING_PREFIX << entry.second.text << '\n';
    }
  }
  return static_cast<bool>(file);
}

}  // namespace reelbox::host

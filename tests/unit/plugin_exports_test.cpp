// The plug-in library exports one symbol and nothing else.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tape_files.h"

namespace reelbox {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

TEST(PluginExports, CreateInstanceIsTheOnlyDefinedDynamicSymbol) {
  const std::string plugin = REELBOX_PLUGIN_PATH;
  if (plugin.size() < 3 || plugin.compare(plugin.size() - 3, 3, ".so") != 0) {
    GTEST_SKIP() << plugin << " is not a shared object that nm can list";
  }
  if (std::system("nm --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "nm is not installed";

  test::ScratchFolder folder;
  const std::string listing = (folder.Path() / "symbols.txt").string();
  ASSERT_EQ(0, std::system(("nm -D --defined-only " + Quoted(plugin) + " > " + Quoted(listing)).c_str()));

  std::ifstream in(listing);
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) names.push_back(name);
  }
  EXPECT_EQ(std::vector<std::string>{"CreateInstance"}, names);
}

}  // namespace
}  // namespace reelbox

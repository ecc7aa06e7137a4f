#pragma once
// Where the installation tree under test lives: the staged dist/ when it has been
// installed, else the build's staging folder. Empty when neither exists.
#include <string>

namespace zevo::test {

std::string installTreeRoot();

// A path of Menu.xml ("..\Templates\100_7\", relative to the program folder Bin/)
// as a file-system path under `root`.
std::string resolveMenuPath(const std::string& root, const std::string& menuPath);

}  // namespace zevo::test

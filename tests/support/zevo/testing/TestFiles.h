#pragma once
// File and address helpers shared by the test suites.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "zevo/grid/ColumnLetters.h"

namespace zevo::testing {

inline int col(const char* letters) { return grid::columnNumber(letters); }

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Creates the missing folders first.
inline void writeFile(const std::filesystem::path& path, const std::string& text) {
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

}  // namespace zevo::testing

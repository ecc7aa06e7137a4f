#include "StagedTree.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace zevo::test {

std::string installTreeRoot() {
    for (const char* candidate : {ZEVO_DIST_DIR, ZEVO_STAGE_DIR}) {
        if (candidate[0] && fs::exists(fs::path(candidate) / "Bin" / "Menu.xml") &&
            fs::exists(fs::path(candidate) / "Templates" / "100_7" / "TK_DKT.xml"))
            return candidate;
    }
    return {};
}

std::string resolveMenuPath(const std::string& root, const std::string& menuPath) {
    std::string p = menuPath;
    for (char& c : p)
        if (c == '\\') c = '/';
    fs::path base = fs::path(root) / "Bin";
    while (p.rfind("../", 0) == 0) {
        p.erase(0, 3);
        base = base.parent_path();
    }
    return (base / p).lexically_normal().string();
}

}  // namespace zevo::test

#include "StagedTree.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace zevo::test {

namespace {

bool complete(const fs::path& root) {
    return fs::exists(root / "Bin" / "Menu.xml") && fs::exists(root / "Templates" / "100_7" / "TK_DKT.xlsx");
}

}  // namespace

// The installed tree is preferred; the build's staging folder stands in when
// nothing is installed or when the installed files are older than this build's.
std::string installTreeRoot() {
    const fs::path dist = ZEVO_DIST_DIR, stage = ZEVO_STAGE_DIR;
    const bool haveDist = !dist.empty() && complete(dist);
    const bool haveStage = !stage.empty() && complete(stage);
    if (haveDist && haveStage) {
        const fs::path wb = fs::path("Templates") / "100_7" / "TK_DKT.xlsx";
        return fs::last_write_time(dist / wb) >= fs::last_write_time(stage / wb) ? dist.string() : stage.string();
    }
    if (haveDist) return dist.string();
    if (haveStage) return stage.string();
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

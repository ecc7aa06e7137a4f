#pragma once
// A private installation tree for tests, benchmarks and the screenshot tool: the
// program folder holds links to the staged installation files and the rules
// library, the template folders are linked, and "DataFiles" is the tree's own, so
// a run never touches the staged data folder.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "zevo/clsMessageBox.h"

namespace zevo::ui::tools {

class TempInstallTree {
public:
    // `dist`: the staged tree; `businessDir`: folder of libZEVO_Business.so.
    TempInstallTree(const std::filesystem::path& distFolder,
                    const std::filesystem::path& businessFolder, const std::string& name) {
        namespace fs = std::filesystem;
        // Links must not depend on the folder the program was started from.
        const fs::path dist = fs::absolute(distFolder);
        const fs::path businessDir = fs::absolute(businessFolder);
        root_ = fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "Bin");
        fs::create_directories(root_ / "DataFiles" / "ZEVO");
        for (const auto& entry : fs::directory_iterator(dist / "Bin")) {
            const std::string file = entry.path().filename().string();
            if (file == "LogFile.txt" || file == "libZEVO_Business.so" || file == "zevo") continue;
            fs::create_symlink(entry.path(), root_ / "Bin" / file);
        }
        fs::create_symlink(businessDir / "libZEVO_Business.so", root_ / "Bin" / "libZEVO_Business.so");
        for (const char* folder : {"Templates", "InterfaceTemplates", "Pictures", "References"})
            if (fs::exists(dist / folder)) fs::create_directory_symlink(dist / folder, root_ / folder);
        setProgramFolderOverride((root_ / "Bin").string());
    }
    ~TempInstallTree() {
        setProgramFolderOverride("");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempInstallTree(const TempInstallTree&) = delete;
    TempInstallTree& operator=(const TempInstallTree&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path bin() const { return root_ / "Bin"; }
    std::filesystem::path dataFolder() const { return root_ / "DataFiles" / "ZEVO"; }

    // Whether the staged tree has what a declaration needs.
    static bool staged(const std::filesystem::path& dist) {
        return std::filesystem::exists(dist / "Bin" / "Menu.xml") &&
               std::filesystem::exists(dist / "Templates" / "100_7" / "TK_DKT.xlsx");
    }

private:
    std::filesystem::path root_;
};

}  // namespace zevo::ui::tools

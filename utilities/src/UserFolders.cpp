#include "zevo/UserFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "zevo/clsMessageBox.h"

namespace fs = std::filesystem;

namespace zevo {
namespace {

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

// An XDG base folder: the variable when it holds an absolute path (relative ones
// are to be ignored), else the default under the home folder.
std::string xdgFolder(const char* variable, const char* fallbackUnderHome) {
    if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
    return homeFolder() + "/" + fallbackUnderHome;
}

bool writable(const fs::path& path) { return access(path.c_str(), W_OK) == 0; }

}  // namespace

bool usesPerUserFolders() {
    std::string bin;
    try {
        bin = programFolder();
    } catch (const std::exception&) {
        return true;   // no tree known: nothing of it can be assumed writable
    }
    std::error_code ec;
    if (bin.empty() || fs::exists(fs::path(bin) / kInstalledMarker, ec)) return true;
    const fs::path root = fs::path(bin).parent_path();
    // The data folder decides, or the nearest folder that would hold it.
    for (const fs::path& p : {root / "DataFiles" / "ZEVO", root / "DataFiles", root})
        if (fs::exists(p, ec)) return !writable(p);
    return true;
}

std::string userDataFolder() { return xdgFolder("XDG_DATA_HOME", ".local/share") + "/zevo"; }

std::string userStateFolder() { return xdgFolder("XDG_STATE_HOME", ".local/state") + "/zevo"; }

std::string errorLogFolder(const std::string& moduleFolder) noexcept {
    try {
        if (!usesPerUserFolders()) return moduleFolder;
        const std::string folder = userStateFolder();
        createPrivateFolders(folder);
        return folder;
    } catch (...) {
        // The log writer finds out that it cannot write there and drops the entry.
        return moduleFolder;
    }
}

void createPrivateFolders(const std::string& path) {
    std::string clean = path;
    while (clean.size() > 1 && clean.back() == '/') clean.pop_back();
    std::vector<fs::path> missing;
    for (fs::path p = fs::path(clean).lexically_normal(); !p.empty() && !fs::exists(p); p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        // The mode is set at creation (0700 under any umask that keeps the owner's
        // bits), so the folder is never open to others even for a moment.
        if (mkdir(it->c_str(), 0700) != 0 && errno != EEXIST)
            throw fs::filesystem_error("cannot create folder", *it, std::error_code(errno, std::generic_category()));
        chmod(it->c_str(), 0700);
    }
}

mode_t privateFileMode(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0600;
}

}  // namespace zevo

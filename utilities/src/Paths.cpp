// Program folder and resolution of the installation's relative paths.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "zevo/RuntimeError.h"
#include "zevo/UserFolders.h"
#include "zevo/clsMessageBox.h"

namespace zevo {
namespace {

std::mutex gFolderMutex;
std::string gFolderOverride;

std::string runningProgramFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) throw RuntimeError(err::kPathNotFound, "Path not found: /proc/self/exe");
    std::string path(buf, static_cast<size_t>(n));
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash);
}

// Replaces the earlier report: only the last failure matters to whoever reads it.
void writePathReport(const std::string& folder, int number, const std::string& text) noexcept {
    if (folder.empty()) return;   // no program folder: nowhere sensible to write
    try {
        std::string body = "GetAbsolutePath: " + std::to_string(number) + " : " + text +
                           "\r\nApp path: " + folder + "\r\n";
        const std::string path = errorLogFolder(folder) + "/Log.log";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) return;
        [[maybe_unused]] ssize_t n = write(fd, body.data(), body.size());
        close(fd);
    } catch (...) {
    }
}

// Drops the last component of base ("/app/Project" -> "/app").
void dropLastComponent(std::string& base) {
    auto slash = base.rfind('/');
    if (slash == std::string::npos)
        throw RuntimeError(err::kInvalidCall, "Invalid procedure call or argument");
    base.erase(slash);
}

}  // namespace

std::string programFolder() {
    {
        std::lock_guard lock(gFolderMutex);
        if (!gFolderOverride.empty()) return gFolderOverride;
    }
    return runningProgramFolder();
}

void setProgramFolderOverride(const std::string& folder) {
    std::lock_guard lock(gFolderMutex);
    gFolderOverride = folder;
    while (gFolderOverride.size() > 1 && gFolderOverride.back() == '/') gFolderOverride.pop_back();
}

std::string clsMessageBox::GetAbsolutePath(const std::string& strPath) {
    std::string result;
    std::string folder;
    try {
        // Drive paths from Windows-made data and Linux absolute paths stand as they are.
        if (strPath.find(":\\") != std::string::npos || (!strPath.empty() && strPath[0] == '/'))
            return strPath;

        folder = programFolder();
        std::string base = folder;
        auto slash = base.rfind('/');
        base = (slash == std::string::npos ? std::string{} : base.substr(0, slash + 1)) + "Project";
        if (strPath.empty()) return base;

        std::string rest = strPath;
        for (char& c : rest)
            if (c == '\\') c = '/';
        for (auto up = rest.find("../"); up != std::string::npos; up = rest.find("../")) {
            rest.erase(0, up + 3);
            dropLastComponent(base);
        }
        result = (!rest.empty() && rest[0] == '/') ? base + rest : base + "/" + rest;
    } catch (const std::exception& e) {
        writePathReport(folder, errorNumber(e), e.what());
    }
    return result;
}

}  // namespace zevo

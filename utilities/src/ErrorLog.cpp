#include "zevo/ErrorLog.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace zevo {
namespace {
std::mutex gOverrideMutex;
std::string gOverride;

// "general date-time format": dd/mm/yyyy hh:mm:ss in local time.
std::string nowText() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d/%m/%Y %H:%M:%S", &tm);
    return buf;
}
}  // namespace

void setErrorLogFolderOverride(const std::string& folder) {
    std::lock_guard lock(gOverrideMutex);
    gOverride = folder;
}

std::string errorLogFolderOverride() {
    std::lock_guard lock(gOverrideMutex);
    return gOverride;
}

std::string moduleFolderOf(const void* address) noexcept {
    try {
        Dl_info info{};
        if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
        std::string path = info.dli_fname;
        if (path.find('/') == std::string::npos) {
            // The main program reports its bare name; use /proc for the real path.
            char buf[4096];
            ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
            if (n <= 0) return {};
            path.assign(buf, static_cast<size_t>(n));
        }
        auto slash = path.rfind('/');
        return slash == std::string::npos ? std::string{} : path.substr(0, slash);
    } catch (...) {
        return {};
    }
}

void writeErrorLogIn(const std::string& folder, const std::string& module,
                     const std::string& procedure, long number,
                     const std::string& description) noexcept {
    try {
        std::string path = (folder.empty() ? std::string(".") : folder) + "/LogFile.txt";
        std::string entry = nowText() + " " + module + " " + procedure + "\r\n" +
                            std::to_string(number) + " : " + description + "\r\n" +
                            std::string(60, '-') + "\r\n";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0) return;
        for (std::size_t done = 0; done < entry.size();) {
            const ssize_t n = write(fd, entry.data() + done, entry.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        close(fd);
    } catch (...) {
        // A log that cannot be written must not disturb the caller.
    }
}

}  // namespace zevo

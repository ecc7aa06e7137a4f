#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "zevo/RuntimeError.h"
#include "zevo/UserFolders.h"
#include "zevo/Xml.h"

namespace zevo::xml {
namespace {

[[noreturn]] void throwErrno(int e, const std::string& path) {
    int number;
    switch (e) {
        case EACCES:
        case EPERM:
        case EROFS: number = err::kPermissionDenied; break;
        case ENOENT:
        case ENOTDIR: number = err::kPathNotFound; break;
        case ENOSPC:
        case EDQUOT: number = 61; break;   // disk full
        default: number = 75; break;       // path/file access error
    }
    throw RuntimeError(number, std::string(std::strerror(e)) + ": " + path, e);
}

std::string folderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

namespace {

// Writes `bytes` to a new temporary file beside `path`, flushed to disk; returns
// its name. Nothing is left behind on failure.
std::string writeTemporary(const std::string& path, const std::string& bytes) {
    if (path.empty()) throw RuntimeError(err::kPathNotFound, "Path not found", ENOENT);
    std::string folder = folderOf(path);
    std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    std::string pattern = folder + "/." + base + ".tmpXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    int fd = mkstemp(name.data());
    if (fd < 0) throwErrno(errno, path);
    std::string tmp(name.data());
    auto fail = [&](int e) {
        close(fd);
        unlink(tmp.c_str());
        throwErrno(e, path);
    };

    // Saved files hold personal data: a new one is readable by its owner alone; a
    // replaced one keeps its mode.
    fchmod(fd, privateFileMode(path));

    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<size_t>(n);
    }
    if (fsync(fd) != 0) fail(errno);
    if (close(fd) != 0) {
        int e = errno;
        unlink(tmp.c_str());
        throwErrno(e, path);
    }
    return tmp;
}

void renameOver(const std::string& tmp, const std::string& path) {
    if (rename(tmp.c_str(), path.c_str()) != 0) {
        int e = errno;
        unlink(tmp.c_str());
        throwErrno(e, path);
    }
    // Make the rename itself durable.
    int dfd = open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
}

}  // namespace

void writeFileAtomically(const std::string& path, const std::string& bytes) {
    renameOver(writeTemporary(path, bytes), path);
}

StagedFiles::~StagedFiles() {
    for (const auto& [tmp, target] : staged_) unlink(tmp.c_str());
}

void StagedFiles::add(const std::string& path, const std::string& bytes) {
    staged_.emplace_back(writeTemporary(path, bytes), path);
}

void StagedFiles::commit() {
    // Renames within one folder do not fail for want of space or rights once the
    // temporaries exist, so the targets are replaced together in practice.
    while (!staged_.empty()) {
        const auto [tmp, target] = staged_.front();
        staged_.erase(staged_.begin());
        renameOver(tmp, target);
    }
}

}  // namespace zevo::xml

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <exception>
#include <functional>
#include <future>
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

// Writes what `produce` hands over to a new temporary file beside `path`, flushed
// to disk; returns its name. Nothing is left behind on failure.
std::string writeTemporary(const std::string& path, const std::function<void(const ByteWriter&)>& produce) {
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

    // The first failed write ends the writing; its error is reported below, not
    // thrown through the producer (a serialiser in C, for a document).
    int writeError = 0;
    const ByteWriter writer = [&](const char* data, std::size_t size) {
        std::size_t done = 0;
        while (writeError == 0 && done < size) {
            ssize_t n = write(fd, data + done, size - done);
            if (n < 0) {
                if (errno != EINTR) writeError = errno;
                continue;
            }
            done += static_cast<size_t>(n);
        }
        return writeError == 0;
    };
    try {
        produce(writer);
    } catch (...) {
        close(fd);
        unlink(tmp.c_str());
        throw;
    }
    if (writeError != 0) fail(writeError);
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

std::string writeTemporary(const std::string& path, const std::string& bytes) {
    return writeTemporary(path, [&](const ByteWriter& write) { write(bytes.data(), bytes.size()); });
}

void writeFileAtomically(const std::string& path, const std::string& bytes) {
    renameOver(writeTemporary(path, bytes), path);
}

void writeFileAtomically(const std::string& path, const std::function<void(const ByteWriter&)>& produce) {
    renameOver(writeTemporary(path, produce), path);
}

namespace {

void syncFolder(const std::string& folder) {
    int dfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
}

constexpr const char* kRecordHeader = "ZEVO staged save 1\n";

// A temporary of writeTemporary: "." + target name + ".tmp" + six characters.
bool isOurTemporary(const std::string& name) {
    if (name.size() < 12 || name[0] != '.') return false;
    const std::size_t tmp = name.size() - 10;
    if (name.compare(tmp, 4, ".tmp") != 0) return false;
    for (std::size_t i = tmp + 4; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

std::string readWhole(const std::string& path, bool& found) {
    found = false;
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        if (errno == ENOENT) return {};
        throwErrno(errno, path);
    }
    found = true;
    std::string out;
    char buf[8192];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int e = errno;
            close(fd);
            throwErrno(e, path);
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return out;
}

}  // namespace

StagedFiles::~StagedFiles() {
    for (const auto& [tmp, target] : staged_) unlink(tmp.c_str());
}

void StagedFiles::add(const std::string& path, const std::string& bytes) {
    staged_.emplace_back(writeTemporary(path, bytes), path);
}

void StagedFiles::add(const std::string& path, const Document& document) {
    staged_.emplace_back(writeTemporary(path, [&](const ByteWriter& write) { document.writeTo(write); }), path);
}

void StagedFiles::add(const std::vector<std::pair<std::string, const Document*>>& documents) {
    auto write = [&documents](std::size_t i) {
        const Document& document = *documents[i].second;
        return writeTemporary(documents[i].first, [&](const ByteWriter& out) { document.writeTo(out); });
    };
    std::vector<std::future<std::string>> others;
    for (std::size_t i = 1; i < documents.size(); ++i) others.push_back(std::async(std::launch::async, write, i));
    std::vector<std::string> temporaries(documents.size());
    std::exception_ptr failure;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        try {
            temporaries[i] = i == 0 ? write(0) : others[i - 1].get();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) {
        for (const std::string& tmp : temporaries)
            if (!tmp.empty()) unlink(tmp.c_str());
        std::rethrow_exception(failure);
    }
    for (std::size_t i = 0; i < documents.size(); ++i) staged_.emplace_back(temporaries[i], documents[i].first);
}

void StagedFiles::commit() {
    if (staged_.empty()) return;
    // The record names every temporary, so once it is on disk the new set is
    // decided: whatever happens to this process, the renames are finished then
    // or at the next start.
    std::string record = kRecordHeader;
    for (const auto& [tmp, target] : staged_) record += tmp + '\t' + target + '\n';
    const std::string recordPath = folderOf(staged_.front().second) + "/" + kCommitRecord;
    renameOver(writeTemporary(recordPath, record), recordPath);

    std::vector<std::pair<std::string, std::string>> pending;
    pending.swap(staged_);   // past the record, a temporary is never removed unrenamed
    std::string firstError;
    int firstErrno = 0;
    std::vector<std::string> folders;
    for (const auto& [tmp, target] : pending) {
        if (rename(tmp.c_str(), target.c_str()) != 0 && firstErrno == 0) {
            firstErrno = errno;
            firstError = target;
        }
        const std::string folder = folderOf(target);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    for (const std::string& folder : folders) syncFolder(folder);
    // A failed rename keeps the record, so the next start completes the set.
    if (firstErrno != 0) throwErrno(firstErrno, firstError);
    unlink(recordPath.c_str());
    syncFolder(folderOf(recordPath));
}

int recoverStagedFiles(const std::string& folder) {
    const std::string base = folder.empty() ? std::string(".")
                             : folder.back() == '/' && folder.size() > 1 ? folder.substr(0, folder.size() - 1)
                                                                         : folder;
    const std::string recordPath = base + "/" + kCommitRecord;
    int rolled = 0;
    bool found = false;
    const std::string record = readWhole(recordPath, found);
    std::vector<std::string> folders{base};
    if (found) {
        // The record is renamed into place whole, so it is either complete or
        // absent; a foreign or damaged one is only removed.
        if (record.compare(0, std::strlen(kRecordHeader), kRecordHeader) == 0) {
            std::size_t at = std::strlen(kRecordHeader);
            while (at < record.size()) {
                std::size_t end = record.find('\n', at);
                if (end == std::string::npos) break;
                const std::string line = record.substr(at, end - at);
                at = end + 1;
                const std::size_t tab = line.find('\t');
                if (tab == std::string::npos) continue;
                const std::string tmp = line.substr(0, tab), target = line.substr(tab + 1);
                if (access(tmp.c_str(), F_OK) != 0) continue;   // renamed before the stop
                if (rename(tmp.c_str(), target.c_str()) != 0) throwErrno(errno, target);
                ++rolled;
                const std::string f = folderOf(target);
                if (std::find(folders.begin(), folders.end(), f) == folders.end()) folders.push_back(f);
            }
        }
        for (const std::string& f : folders) syncFolder(f);
        unlink(recordPath.c_str());
    }
    for (const std::string& f : folders) {
        DIR* dir = opendir(f.c_str());
        if (!dir) continue;
        std::vector<std::string> stray;
        while (dirent* e = readdir(dir))
            if (isOurTemporary(e->d_name)) stray.push_back(f + "/" + e->d_name);
        closedir(dir);
        for (const std::string& path : stray) unlink(path.c_str());
    }
    syncFolder(base);
    return rolled;
}

}  // namespace zevo::xml

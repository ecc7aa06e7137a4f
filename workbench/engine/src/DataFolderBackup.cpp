#include "zevo/engine/DataFolderBackup.h"

#include <zip.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <system_error>

#include "zevo/RuntimeError.h"
#include "zevo/UserFolders.h"
#include "zevo/Xml.h"

namespace zevo::engine {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefix = "data_zevo_";
constexpr const char* kSuffix = ".zip";

[[noreturn]] void fail(const std::string& what, zip_error_t* error) {
    std::string reason = error ? zip_error_strerror(error) : "unknown error";
    throw RuntimeError(75, what + ": " + reason);
}

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    if (!(in && bytes << in.rdbuf()) && fs::file_size(path) != 0)
        throw RuntimeError(err::kPermissionDenied, "Cannot read " + path.string());
    return bytes.str();
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The archive, built in memory so that it reaches the disk through the atomic
// writer (a private file, flushed, renamed into place).
std::string zipBytes(const std::vector<std::pair<std::string, std::string>>& entries,
                     const std::vector<std::time_t>& mtimes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer) fail("Cannot make the backup archive", &error);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(buffer);
        fail("Cannot make the backup archive", &error);
    }
    zip_source_keep(buffer);   // read back after zip_close
    std::unique_ptr<zip_source_t, decltype(&zip_source_free)> keep(buffer, zip_source_free);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [name, bytes] = entries[i];
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            const std::string why = std::string("Cannot add ") + name + ": " + zip_strerror(archive);
            zip_discard(archive);
            throw RuntimeError(75, why);
        }
        zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), mtimes[i], 0);
    }
    if (zip_close(archive) != 0) {
        const std::string why = std::string("Cannot write the backup archive: ") + zip_strerror(archive);
        zip_discard(archive);
        throw RuntimeError(75, why);
    }
    std::string out;
    if (zip_source_open(buffer) != 0) fail("Cannot read the backup archive", zip_source_error(buffer));
    char chunk[65536];
    for (;;) {
        const zip_int64_t got = zip_source_read(buffer, chunk, sizeof chunk);
        if (got < 0) {
            zip_source_close(buffer);
            fail("Cannot read the backup archive", zip_source_error(buffer));
        }
        if (got == 0) break;
        out.append(chunk, static_cast<std::size_t>(got));
    }
    zip_source_close(buffer);
    return out;
}

}  // namespace

std::vector<std::string> dataFilesToBack(const std::string& dataFolder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dataFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.' || !entry.is_regular_file(ec)) continue;
        if (endsWith(name, ".xml") || name == "Session.dat") files.push_back(entry.path().string());
    }
    if (ec) throw RuntimeError(err::kPathNotFound, "Cannot list " + dataFolder + ": " + ec.message());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> dataBackups(const std::string& backupFolder) {
    std::vector<std::string> zips;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(backupFolder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kPrefix, 0) == 0 && endsWith(name, kSuffix) && entry.is_regular_file(ec))
            zips.push_back(entry.path().string());
    }
    // The names carry the time from the year down ("." sorts before the "_2" of
    // a second backup within the same second): name order is age order.
    std::sort(zips.begin(), zips.end());
    return zips;
}

std::string backupDataFolder(const std::string& dataFolder, std::time_t now, int keep) {
    const std::vector<std::string> files = dataFilesToBack(dataFolder);
    if (files.empty()) return {};
    std::vector<std::pair<std::string, std::string>> entries;
    std::vector<std::time_t> mtimes;
    for (const std::string& file : files) {
        entries.emplace_back(fs::path(file).filename().string(), readWhole(file));
        struct stat st {};
        mtimes.push_back(::stat(file.c_str(), &st) == 0 ? st.st_mtime : now);
    }
    const std::string bytes = zipBytes(entries, mtimes);

    const fs::path folder = fs::path(dataFolder) / "Backup";
    try {
        createPrivateFolders(folder.string());
    } catch (const fs::filesystem_error& e) {
        throw RuntimeError(err::kPermissionDenied, "Cannot create " + folder.string() + ": " + e.code().message());
    }
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string stem = (folder / (kPrefix + std::string(stamp))).string();
    std::string path = stem + kSuffix;
    std::error_code ec;
    for (int n = 2; fs::exists(path, ec); ++n) path = stem + "_" + std::to_string(n) + kSuffix;
    xml::writeFileAtomically(path, bytes);

    std::vector<std::string> kept = dataBackups(folder.string());
    for (std::size_t i = 0; i + static_cast<std::size_t>(std::max(keep, 1)) < kept.size(); ++i)
        fs::remove(kept[i], ec);
    return path;
}

}  // namespace zevo::engine

#include "zevo/engine/RecoveryStore.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "zevo/RuntimeError.h"
#include "zevo/UserFolders.h"
#include "zevo/Xml.h"

namespace zevo::engine {

namespace fs = std::filesystem;

namespace {

constexpr const char* kManifest = "manifest.txt";
constexpr const char* kHeader = "ZEVO recovery 1";
// Far above any real declaration; a manifest naming more is not ours.
constexpr int kMaxSheets = 64;

std::string sheetFileName(int index) { return "sheet" + std::to_string(index + 1) + ".xml"; }

bool readWhole(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    out = text.str();
    return !in.bad();
}

RecoveryCopy damaged(std::time_t written, std::string reason) {
    RecoveryCopy copy;
    copy.state = RecoveryCopy::State::Damaged;
    copy.written = written;
    copy.reason = std::move(reason);
    return copy;
}

}  // namespace

std::string contentChecksum(const std::string& bytes) {
    unsigned long long hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", hash);
    return text;
}

RecoveryStore::RecoveryStore(std::string dataFolder) {
    while (dataFolder.size() > 1 && dataFolder.back() == '/') dataFolder.pop_back();
    folder_ = (dataFolder.empty() ? std::string(".") : dataFolder) + "/" + kRecoveryFolderName;
}

bool RecoveryStore::exists() const {
    std::error_code ec;
    return fs::exists(folder_, ec);
}

void RecoveryStore::write(const std::string& menuId, const std::vector<std::string>& sheetDocuments,
                          std::time_t written) const {
    try {
        createPrivateFolders(folder_);
    } catch (const fs::filesystem_error& e) {
        throw RuntimeError(err::kPermissionDenied, "Cannot create " + folder_ + ": " + e.code().message(),
                           e.code().value());
    }
    // The manifest goes last into the set, but the set is committed as one: a
    // reader finds the old copy whole or the new one whole.
    std::string manifest = std::string(kHeader) + "\nwritten " + std::to_string(written) + "\nmenu " +
                           menuId + "\n";
    xml::StagedFiles files;
    for (std::size_t i = 0; i < sheetDocuments.size(); ++i) {
        const std::string name = sheetFileName(static_cast<int>(i));
        files.add(folder_ + "/" + name, sheetDocuments[i]);
        manifest += "sheet " + std::to_string(sheetDocuments[i].size()) + " " +
                    contentChecksum(sheetDocuments[i]) + " " + name + "\n";
    }
    manifest += "end\n";
    files.add(folder_ + "/" + kManifest, manifest);
    files.commit();
}

RecoveryCopy RecoveryStore::probe(const std::string& menuId, int sheetCount) const {
    std::error_code ec;
    if (!fs::exists(folder_, ec)) return {};
    try {
        xml::recoverStagedFiles(folder_);
    } catch (const std::exception& e) {
        return damaged(0, e.what());
    }
    std::string manifest;
    if (!readWhole(folder_ + "/" + kManifest, manifest)) {
        // A folder without a manifest holds nothing a write completed.
        bool empty = fs::is_empty(folder_, ec);
        if (!ec && empty) return {};
        return damaged(0, "the list of its files (" + std::string(kManifest) + ") is missing");
    }
    std::istringstream lines(manifest);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader)
        return damaged(0, "the list of its files is not one this program wrote");
    RecoveryCopy copy;
    bool ended = false;
    std::string menu;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "written") {
            long long when = 0;
            fields >> when;
            copy.written = static_cast<std::time_t>(when);
        } else if (key == "menu") {
            fields >> menu;
        } else if (key == "sheet") {
            std::size_t size = 0;
            std::string checksum, name;
            fields >> size >> checksum >> name;
            if (!fields || name.find('/') != std::string::npos || copy.sheets.size() >= kMaxSheets)
                return damaged(copy.written, "the list of its files is damaged");
            const std::string path = folder_ + "/" + name;
            std::string bytes;
            if (!readWhole(path, bytes))
                return damaged(copy.written, name + " is missing");
            if (bytes.size() != size)
                return damaged(copy.written, name + " has " + std::to_string(bytes.size()) +
                                                 " bytes instead of " + std::to_string(size) +
                                                 " (cut short or changed)");
            if (contentChecksum(bytes) != checksum)
                return damaged(copy.written, name + " was changed since it was written");
            auto doc = xml::Document::create();
            const xml::LoadResult loaded =
                doc->loadString(bytes, xml::Trust::Installed, xml::Validation::InternalSubset);
            if (!loaded.ok()) return damaged(copy.written, name + ": " + loaded.reason);
            if (!doc->declaresId("Cell", "CellID"))
                return damaged(copy.written, name + " is not a sheet document");
            copy.sheets.push_back(path);
        } else if (key == "end") {
            ended = true;
            break;
        }
    }
    if (!ended) return damaged(copy.written, "the list of its files is cut short");
    if (menu != menuId)
        return damaged(copy.written, "it belongs to another declaration (" + menu + ")");
    if (static_cast<int>(copy.sheets.size()) != sheetCount)
        return damaged(copy.written, "it has " + std::to_string(copy.sheets.size()) +
                                         " sheets, the declaration " + std::to_string(sheetCount));
    copy.state = RecoveryCopy::State::Ready;
    return copy;
}

bool RecoveryStore::discard() const noexcept {
    std::error_code ec;
    fs::remove_all(folder_, ec);
    return !ec && !fs::exists(folder_, ec);
}

std::string RecoveryStore::moveAside(const std::string& backupFolder) const {
    std::error_code ec;
    try {
        createPrivateFolders(backupFolder);
    } catch (const fs::filesystem_error& e) {
        ec = e.code();
    }
    if (!ec) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
        const std::string stem = (fs::path(backupFolder) / ("recovery_damaged_" + std::string(stamp))).string();
        std::string target = stem;
        for (int n = 2; fs::exists(target, ec); ++n) target = stem + "_" + std::to_string(n);
        fs::rename(folder_, target, ec);
        if (!ec) return target;
    }
    throw RuntimeError(err::kPermissionDenied,
                       "Cannot move " + folder_ + " into " + backupFolder + ": " + ec.message(), ec.value());
}

}  // namespace zevo::engine

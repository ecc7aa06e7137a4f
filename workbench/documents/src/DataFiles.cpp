#include "zevo/documents/DataFiles.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "NumericText.h"
#include "zevo/RuntimeError.h"
#include "zevo/Text.h"
#include "zevo/UserFolders.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/Xml.h"

namespace zevo::documents {

namespace {

std::string withoutSlashes(std::string s) {
    std::erase(s, '/');
    return s;
}

// The quarter as it appears in file names: one leading "0" ("2" -> "02", "02"
// stays "02"). Reading and saving use the same name, so a saved file is found again.
std::string quarterPart(const std::string& threeMonths) {
    if (!threeMonths.empty() && threeMonths[0] == '0') return threeMonths;
    return "0" + threeMonths;
}

}  // namespace

std::string dataFolderPath() {
    std::string path = usesPerUserFolders() ? userDataFolder() + "/DataFiles/ZEVO/"
                                            : clsMessageBox().GetAbsolutePath("..\\DataFiles\\ZEVO\\");
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

std::string ensureDataFolder() {
    std::string path = dataFolderPath();
    if (path.empty()) throw RuntimeError(err::kPathNotFound, "Path not found: data folder");
    std::error_code ec;
    try {
        createPrivateFolders(path);
    } catch (const std::filesystem::filesystem_error& e) {
        ec = e.code();
    }
    if (ec || !std::filesystem::is_directory(path)) {
        int number = ec == std::errc::permission_denied ? err::kPermissionDenied
                     : ec == std::errc::no_such_file_or_directory ? err::kPathNotFound
                                                                  : 75;
        throw RuntimeError(number, "Cannot create the data folder " + path +
                                       (ec ? ": " + ec.message() : std::string()));
    }
    return path;
}

std::string periodSuffix(const xml::Node& menuEntry) {
    clsVariables session;
    const std::string year = GetAttributeValue(menuEntry, "Year");
    if (year.empty() || year == "0") return {};
    if (GetAttributeValue(menuEntry, "Month") == "1") return "_" + session.Month() + session.Year();
    if (GetAttributeValue(menuEntry, "ThreeMonth") == "1")
        return "_" + quarterPart(session.ThreeMonths()) + session.Year();
    if (GetAttributeValue(menuEntry, "Day") == "1")
        return "_" + session.Year() + "_" + withoutSlashes(session.FirstDay()) + "_" +
               withoutSlashes(session.LastDay());
    return "_" + session.Year();
}

std::string sheetDataFilePath(const xml::Node& menuEntry, const std::string& dataFile) {
    return clsVariables().DataFolder() + dataFile + periodSuffix(menuEntry) + ".xml";
}

std::string sheetDataFilePath(const xml::Node& menuEntry, const xml::Node& sheetEntry) {
    return sheetDataFilePath(menuEntry, GetAttributeValue(sheetEntry, "DataFile"));
}

std::string blankSheetDocumentPath(const xml::Node& sheetEntry) {
    return clsMessageBox().GetAbsolutePath(GetAttributeValue(sheetEntry, "TemplateFolder")) +
           GetAttributeValue(sheetEntry, "DataFile") + ".xml";
}

bool isActiveForSave(const xml::Node& sheetEntry) {
    return text::leadingNumber(GetAttributeValue(sheetEntry, "Active")) >= 1.0;
}

bool isInactive(const xml::Node& sheetEntry) {
    return GetAttributeValue(sheetEntry, "Active") == "0";
}

std::string backupFileName(const std::string& kind, const std::tm& local) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%02d-%02d-%02d_%02d%02d%04d", local.tm_sec, local.tm_min,
                  local.tm_hour, local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
    return kind + "_zevo_" + stamp + ".txt";
}

std::string backupFilePath(const std::string& kind) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return clsVariables().DataFolder() + "Backup/" + backupFileName(kind, local);
}

void checkActiveSheetDocuments(const xml::Node& validity) {
    clsVariables session;
    const auto sheets = validity.childElements("Sheet");
    const int count = sheets.empty() ? 0 : session.xmlDataCount() + 1;
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (!isActiveForSave(sheets[i])) continue;
        const int index = static_cast<int>(i);
        const xml::DocumentPtr doc = index < count ? session.Data(index) : nullptr;
        if (!doc || doc->isEmpty())
            throw RuntimeError(err::kObjectRequired,
                               "Sheet " + std::to_string(i + 1) + " (" +
                                   GetAttributeValue(sheets[i], "DataFile") +
                                   ") is in use but has no document: nothing was saved");
    }
}

void saveActiveSheetDocuments(const xml::Node& menuEntry, const xml::Node& validity,
                              xml::StagedFiles* staged) {
    clsVariables session;
    checkActiveSheetDocuments(validity);
    xml::StagedFiles own;
    xml::StagedFiles& files = staged ? *staged : own;
    auto sheets = validity.childElements("Sheet");
    std::vector<std::pair<std::string, const xml::Document*>> documents;
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (!isActiveForSave(sheets[i])) continue;
        xml::DocumentPtr doc = session.Data(static_cast<int>(i));
        // The file is replaced by rename, so a read-only attribute on the old file
        // does not stop the save; the new file gets ordinary permissions.
        const std::string path = sheetDataFilePath(menuEntry, sheets[i]);
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, ec);
        documents.emplace_back(path, doc.get());
    }
    files.add(documents);
    if (!staged) own.commit();
}

}  // namespace zevo::documents

// The export dialog's Excel export: the report of the declaration (the sheets that
// printing uses) written as one workbook named after the tax office, the taxpayer
// and the declaration's number.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>

#include "FileErrors.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/Text.h"
#include "zevo/UserFolders.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/exchange/BackupRestoreController.h"
#include "zevo/grid/XlsxReader.h"
#include "zevo/grid/XlsxWriter.h"
#include "zevo/printing/frmReportData.h"
#include "zevo/rules/ExportName.h"

namespace zevo::exchange {

using detail::FileErrorShown;
using detail::ask;
using detail::kModule;

namespace {

constexpr const char* kEmptyPath = "0023";
constexpr const char* kCreateFolder = "0024";
constexpr const char* kReplaceFile = "0107";
constexpr const char* kSpecialMenuId = "100_9";
constexpr int kFileAlreadyExists = 58;

// The workbook writer's error numbers carry no errno; give them the one whose
// message fits.
FileErrorShown showExportError(const std::exception& e) {
    const auto* runtime = dynamic_cast<const RuntimeError*>(&e);
    if (runtime && runtime->osError() == 0) {
        switch (runtime->number()) {
            case grid::xlsx::kErrPermissionDenied: return detail::showFileError(EACCES, true);
            case grid::xlsx::kErrPathNotFound: return detail::showFileError(ENOENT, true);
            case kFileAlreadyExists: return detail::showFileError(EEXIST, true);
            default: break;
        }
    }
    return detail::showFileError(e, true);
}

// The special export works on another menu entry and validity node for as long as
// it lives; the first sheet document, the menu entry and the validity node are put
// back on every way out.
class SpecialEntry {
public:
    SpecialEntry() : data_(vars_.Data(0)), menu_(vars_.NodeMenu()), validity_(vars_.NodeValidity()) {}
    ~SpecialEntry() {
        try {
            vars_.Data(0, data_);
            vars_.NodeMenu(menu_);
            vars_.NodeValidity(validity_);
        } catch (const std::exception& e) {
            WriteErrorLog(kModule, "exportExcel", e);
        }
    }
    SpecialEntry(const SpecialEntry&) = delete;
    SpecialEntry& operator=(const SpecialEntry&) = delete;

    // Makes the first "100_9" sibling of the current menu entry current, and its
    // first child the validity node. Throws when there is none.
    void enter() {
        const xml::Node parent = menu_.isNull() ? xml::Node{} : menu_.parent();
        if (!parent.isNull())
            for (const xml::Node& entry : parent.childElements())
                if (documents::GetAttributeValue(entry, "ID") == kSpecialMenuId) {
                    const xml::Node validity = entry.firstChildElement();
                    if (validity.isNull()) break;
                    vars_.NodeMenu(entry);
                    vars_.NodeValidity(validity);
                    return;
                }
        throw RuntimeError(err::kInvalidCall, std::string("No menu entry \"") + kSpecialMenuId +
                                                  "\" with a validity node beside the current one");
    }

    const xml::Node& savedMenu() const { return menu_; }

private:
    clsVariables vars_;
    xml::DocumentPtr data_;
    xml::Node menu_;
    xml::Node validity_;
};

}  // namespace

std::string BackupRestoreController::getPrefixExportName() { return rules::getPrefixExportName(kModule); }

bool BackupRestoreController::exportExcel(bool special) {
    excelFile_.clear();
    try {
        if (text::trimSpaces(path_).empty()) {
            ask(kEmptyPath, msOKOnly, miInformation);
            view().focusPath();
            return false;
        }
        std::string folder = clsMessageBox().GetAbsolutePath(text::trimSpaces(path_));
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        if (folder.empty()) throw RuntimeError(err::kInvalidCall, "Invalid export folder: " + path_, EINVAL);
        const std::string file = folder + "/" + getPrefixExportName() + (special ? "_A3.xlsx" : ".xlsx");

        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec)) {
            if (ask(kCreateFolder, msYesNo, miQuestion) != mrYes) return false;
            createPrivateFolders(folder);
        } else if (std::filesystem::symlink_status(file, ec).type() != std::filesystem::file_type::not_found) {
            if (ask(kReplaceFile, msYesNo, miQuestion, mrNo) != mrYes) return false;
            // A folder of that name cannot be replaced by the workbook.
            if (!std::filesystem::remove(file, ec) || ec)
                throw RuntimeError(kFileAlreadyExists, "File already exists: " + file);
        }

        // The backup is of the open declaration and closes the dialog, which puts
        // back the sheet selection; only then does the special export switch to
        // its own menu entry.
        if (!exportData(documents::backupFilePath("export"), true)) return false;

        std::optional<SpecialEntry> entry;
        if (special) entry.emplace().enter();
        printing::frmReportData::Sources sources;
        sources.library = reportLibrary;
        // The report's session counters stay with the open declaration's record.
        if (entry) sources.counterMenu = entry->savedMenu();
        printing::frmReportData report(sources);
        if (!report.built())
            throw RuntimeError(err::kFileNotFound, "The report of the declaration could not be built");
        grid::writeXlsx(report.fpsReport().toWorkbookData(), file);
        excelFile_ = file;   // the dialog closed with the backup
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "exportExcel", e);
        if (showExportError(e) == FileErrorShown::PathMessage) view().focusPath();
        return false;
    }
}

}  // namespace zevo::exchange

#include "zevo/exchange/BackupRestoreController.h"

#include <sys/stat.h>

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <exception>

#include "FileErrors.h"
#include "zevo/ErrorLog.h"
#include "zevo/RuntimeError.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/documents/DataFiles.h"
#include "zevo/exchange/ExchangeFile.h"
#include "zevo/exchange/ExchangeReader.h"
#include "zevo/exchange/ExchangeWriter.h"

namespace zevo::exchange {

using detail::FileErrorShown;
using detail::ask;
using detail::kModule;
using documents::GetAttributeValue;
using documents::SetAttributeValue;

namespace {

constexpr const char* kEmptyPath = "0023";
constexpr const char* kConfirmReplace = "0012";
constexpr const char* kSaveBeforeMerge = "0104";
constexpr const char* kImported = "0103";

// Caption sections of the three export options, in option order.
constexpr const char* kOptionSections[] = {"frmDataBackup", "frmExcelBackup", "frmExcelSpecialBackup"};

std::vector<xml::Node> sheetEntries() {
    const xml::Node validity = clsVariables().NodeValidity();
    return validity.isNull() ? std::vector<xml::Node>{} : validity.childElements("Sheet");
}

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// Where the remembered paths start: the user's documents folder, else home.
std::string startFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    return folder.toStdString();
}

// The folder part of a path (up to its last "/") is made when missing, one level
// only, as the dialog always did: a deeper missing folder is a mistyped path.
// It is private: exports hold personal data.
void makeFolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return;
    const std::string folder = path.substr(0, slash);
    struct stat st{};
    if (::stat(folder.c_str(), &st) == 0) return;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        const int e = errno;
        throw RuntimeError(75, std::string(std::strerror(e)) + ": " + folder, e);
    }
}

}  // namespace

BackupRestoreController::BackupRestoreController(grid::Spread& grid, DeclarationHost host)
    : grid_(grid), host_(std::move(host)) {}

std::string BackupRestoreController::fileDialogTitle(bool exporting) {
    return std::string("Select a Data file to ") + (exporting ? "export" : "import");
}

void BackupRestoreController::Form_Load() {
    try {
        captionSection_ = bIsBackup ? "frmBackup" : "frmRestore";
        view().applyCaptions(captionSection_);
        sheetListShown_ = false;
        listHasFocus_ = false;
        activeCopy_.clear();
        sheetRows_.clear();
        for (const xml::Node& entry : sheetEntries()) {
            activeCopy_.push_back(GetAttributeValue(entry, "Active"));
            sheetRows_.push_back({GetAttributeValue(entry, "Caption"), selectAll_});
        }
        loaded_ = true;
        if (bIsBackup) {
            const std::string folder = startFolder();
            remembered_ = {folder + "/zevo_export.txt", folder, folder};
            // Each selection shows its own path; the exchange file ends selected.
            optionClick(ExchangeOption::Excel);
            optionClick(ExchangeOption::ExcelSpecial);
            optionClick(ExchangeOption::Data);
        } else {
            option_ = ExchangeOption::Data;
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Load", e);
    }
    view().stateChanged();
}

void BackupRestoreController::Form_Unload() {
    if (!loaded_) return;
    loaded_ = false;
    try {
        const std::vector<xml::Node> entries = sheetEntries();
        for (std::size_t i = 0; i < entries.size() && i < activeCopy_.size(); ++i)
            SetAttributeValue(entries[i], "Active", activeCopy_[i]);
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "Form_Unload", e);
    }
}

void BackupRestoreController::closeDialog() {
    Form_Unload();
    view().closeForm();
}

void BackupRestoreController::optionClick(ExchangeOption option) {
    option_ = option;
    if (bIsBackup) {
        captionSection_ = kOptionSections[index(option)];
        view().applyCaptions(captionSection_);
        path_ = remembered_[index(option)];
    }
    view().stateChanged();
}

void BackupRestoreController::optionLostFocus(ExchangeOption option) {
    if (bIsBackup) remembered_[index(option)] = path_;
}

void BackupRestoreController::chkSelectAll_Click(bool checked) {
    selectAll_ = checked;
    // A change made by the list itself (below) must not tick every row again.
    if (!listHasFocus_)
        for (SheetListRow& row : sheetRows_) row.checked = checked;
    view().stateChanged();
}

void BackupRestoreController::sheetRowChanged(int row, bool checked) {
    if (row < 0 || static_cast<std::size_t>(row) >= sheetRows_.size()) return;
    sheetRows_[static_cast<std::size_t>(row)].checked = checked;
    if (listHasFocus_) {
        selectAll_ = true;
        for (const SheetListRow& r : sheetRows_) selectAll_ = selectAll_ && r.checked;
    }
    view().stateChanged();
}

void BackupRestoreController::cmdExt_Click() {
    sheetListShown_ = true;
    view().stateChanged();
}

void BackupRestoreController::cmdColl_Click() {
    sheetListShown_ = false;
    view().stateChanged();
}

void BackupRestoreController::cmdBrowser_Click() {
    try {
        if (bIsBackup && option_ != ExchangeOption::Data) {
            if (auto folder = view().pickFolder(kFolderDialogTitle, path_)) path_ = *folder;
        } else if (auto file = view().pickFile(fileDialogTitle(bIsBackup), bIsBackup, path_)) {
            std::string name = *file;
            if (name.size() < 4 || name.compare(name.size() - 4, 4, ".txt") != 0) name += ".txt";
            path_ = name;
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdBrowser_Click", e);
    }
    view().stateChanged();
}

bool BackupRestoreController::cmdOK_Click() {
    try {
        const std::vector<xml::Node> entries = sheetEntries();
        for (std::size_t i = 0; i < entries.size() && i < sheetRows_.size(); ++i)
            SetAttributeValue(entries[i], "Active", sheetRows_[i].checked ? "1" : "0");
        if (!bIsBackup) return importData();
        switch (option_) {
            case ExchangeOption::Data: return exportData(path_, true);
            case ExchangeOption::Excel: return exportExcel(false);
            case ExchangeOption::ExcelSpecial: return exportExcel(true);
        }
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "cmdOK_Click", e);
    }
    return false;
}

void BackupRestoreController::cmdClose_Click() { closeDialog(); }

bool BackupRestoreController::exportData(const std::string& filePath, bool bUnloadForm) {
    try {
        if (blank(filePath)) {
            ask(kEmptyPath, msOKOnly, miInformation);
            view().focusPath();
            return false;
        }
        const std::vector<std::string> book = CreateExcelBook();
        makeFolderOf(filePath);
        const std::vector<xml::Node> entries = sheetEntries();
        std::string text;
        for (std::size_t i = 0; i < book.size() && i < entries.size(); ++i)
            if (GetAttributeValue(entries[i], "Active") != "0") text += book[i];
        writeExchangeFile(filePath, text);
        if (bUnloadForm) closeDialog();
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "exportData", e);
        if (detail::showFileError(e) == FileErrorShown::PathMessage) view().focusPath();
        return false;
    }
}

bool BackupRestoreController::writeBackup(const std::string& kind) {
    return exportData(documents::backupFilePath(kind), false);
}

bool BackupRestoreController::importData() {
    try {
        if (blank(path_)) {
            ask(kEmptyPath, msOKOnly, miInformation);
            view().focusPath();
            return false;
        }
        const bool merge = option_ == ExchangeOption::Data;
        if (!merge) {
            if (ask(kConfirmReplace, msYesNo, miQuestion) != mrYes) return false;
            // No replacement without the backup of what it replaces.
            if (!writeBackup("import")) return false;
        } else if (host_.IsAdjustData && host_.IsAdjustData()) {
            if (ask(kSaveBeforeMerge, msYesNo, miQuestion) != mrYes) return false;
            if (!host_.UpdateData || !host_.UpdateData(true)) return false;
        }
        const ExchangeFileText file = readExchangeFile(path_);
        if (file.status == ReadStatus::CannotOpen) {
            WriteErrorLog(kModule, "importData", err::kFileNotFound,
                          std::string(std::strerror(file.osError)) + ": " + path_);
            if (detail::showFileError(file.osError) == FileErrorShown::PathMessage) view().focusPath();
            return false;
        }
        if (file.status == ReadStatus::NotUnicode) {
            WriteErrorLog(kModule, "importData", err::kTypeMismatch, "Not an exchange file (UTF-16): " + path_);
            ask(msg::kBadFile, msOKOnly, miCriticalError);
            return false;
        }
        ExchangeReader reader(grid_);
        reader.clearIdentityCheck();
        if (!reader.RestoreDataFile(file.text, merge)) return false;
        if (host_.Reload) host_.Reload();
        view().hideForm();
        ask(kImported, msOKOnly, miInformation);
        closeDialog();
        return true;
    } catch (const std::exception& e) {
        WriteErrorLog(kModule, "importData", e);
        if (detail::showFileError(e) == FileErrorShown::PathMessage) view().focusPath();
        return false;
    }
}

bool BackupRestoreController::exportWithoutDialog(grid::Spread& grid, const std::string& path) {
    BackupRestoreController dialog(grid);
    dialog.bIsBackup = true;
    dialog.Form_Load();
    const bool written = dialog.exportData(path, true);
    dialog.Form_Unload();
    return written;
}

}  // namespace zevo::exchange

#pragma once
// The export/import dialog without its widgets: the export face writes the
// declaration's exchange file (or starts the Excel export), the import face reads
// one back, merged into the open declaration or replacing it after a backup. The
// window (frmBackup_Restore) shows this state and forwards the user's actions;
// the command line drives the same object without a window.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zevo/grid/Spread.h"

namespace zevo::rules {
class BusinessLibrary;
}

namespace zevo::exchange {

// What the import needs of the main window.
struct DeclarationHost {
    std::function<bool()> IsAdjustData;            // unsaved changes?
    std::function<bool(bool saveSession)> UpdateData;   // save them; true when saved
    std::function<void()> Reload;                  // reload the declaration from its files
};

// What the controller asks of its window. The defaults do nothing (no window).
class BackupRestoreView {
public:
    virtual ~BackupRestoreView() = default;
    virtual void applyCaptions(const std::string& section) {}
    // The controller's state changed: show it again.
    virtual void stateChanged() {}
    virtual void focusPath() {}
    // Pickers; nullopt when cancelled.
    virtual std::optional<std::string> pickFolder(const std::string& title, const std::string& start) {
        return std::nullopt;
    }
    virtual std::optional<std::string> pickFile(const std::string& title, bool save,
                                                const std::string& start) {
        return std::nullopt;
    }
    virtual void hideForm() {}
    virtual void closeForm() {}
};

enum class ExchangeOption { Data = 0, Excel = 1, ExcelSpecial = 2 };

struct SheetListRow {
    std::string caption;
    bool checked = true;
};

class BackupRestoreController {
public:
    // The grid converts the column letters of cell identifiers; it is not changed.
    explicit BackupRestoreController(grid::Spread& grid, DeclarationHost host = {});

    void setView(BackupRestoreView* view) { view_ = view; }

    // true: the export face; false: the import face. Set before Form_Load.
    bool bIsBackup = true;
    // Where the report's "Class2" object comes from; null: the rules library in
    // the program folder.
    rules::BusinessLibrary* reportLibrary = nullptr;

    // ---- life cycle ----
    void Form_Load();
    // Puts back every sheet entry's "Active" as it was at Form_Load; any way out
    // of the dialog comes here (once).
    void Form_Unload();
    bool loaded() const { return loaded_; }

    // ---- state shown by the window ----
    const std::string& captionSection() const { return captionSection_; }
    ExchangeOption option() const { return option_; }
    const std::string& path() const { return path_; }
    const std::string& rememberedPath(ExchangeOption o) const { return remembered_[index(o)]; }
    bool selectAll() const { return selectAll_; }
    const std::vector<SheetListRow>& sheetRows() const { return sheetRows_; }
    bool sheetListShown() const { return sheetListShown_; }
    bool sheetListHasFocus() const { return listHasFocus_; }

    // ---- the user's actions ----
    void setPath(const std::string& text) { path_ = text; }
    void optionClick(ExchangeOption option);
    void optionLostFocus(ExchangeOption option);
    void chkSelectAll_Click(bool checked);
    void sheetListFocus(bool hasFocus) { listHasFocus_ = hasFocus; }
    void sheetRowChanged(int row, bool checked);
    void cmdExt_Click();
    void cmdColl_Click();
    void cmdBrowser_Click();
    // true when the command did its work (export written, import done).
    bool cmdOK_Click();
    void cmdClose_Click();

    // ---- the dialog's procedures ----
    bool exportData(const std::string& filePath, bool bUnloadForm);
    bool importData();
    // The Excel export: checks, backup, then the report workbook written whole.
    // The special export writes the report of the "100_9" menu entry and its first
    // validity node, and puts back the menu entry, the validity node and the first
    // sheet document however it ends.
    bool exportExcel(bool special);
    // The export name prefix (tax office, tax code, number) of the declaration,
    // the same as the rules library's; errors are logged under the dialog's name.
    static std::string getPrefixExportName();
    // The workbook the last successful exportExcel wrote.
    const std::string& excelFile() const { return excelFile_; }
    // Writes DataFolder + "Backup/" + kind + "_zevo_" + time + ".txt" with
    // exportData, keeping the dialog open; true when written.
    bool writeBackup(const std::string& kind);

    // The export dialog's exportData without showing the dialog (the backup before
    // a new declaration): the sheets whose "Active" is not "0".
    static bool exportWithoutDialog(grid::Spread& grid, const std::string& path);

    // Titles of the pickers.
    static std::string fileDialogTitle(bool exporting);
    static constexpr const char* kFolderDialogTitle = "Select a Folder to export";

private:
    static std::size_t index(ExchangeOption o) { return static_cast<std::size_t>(o); }
    BackupRestoreView& view() { return view_ ? *view_ : nullView_; }
    void closeDialog();

    grid::Spread& grid_;
    DeclarationHost host_;
    BackupRestoreView* view_ = nullptr;
    BackupRestoreView nullView_;

    bool loaded_ = false;
    std::string captionSection_;
    ExchangeOption option_ = ExchangeOption::Data;
    std::string path_;
    std::array<std::string, 3> remembered_;
    bool selectAll_ = true;
    std::vector<SheetListRow> sheetRows_;
    bool sheetListShown_ = false;
    bool listHasFocus_ = false;
    std::vector<std::string> activeCopy_;
    std::string excelFile_;
};

}  // namespace zevo::exchange

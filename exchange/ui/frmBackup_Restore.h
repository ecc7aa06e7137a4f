#pragma once
// The export/import dialog: export face (exchange file, Excel, special Excel) and
// import face (merge into or replace the open declaration), with the sheet list
// that the export face can unfold. A thin window over BackupRestoreController.
#include <QDialog>

#include "zevo/exchange/BackupRestoreController.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace zevo::exchange::ui {

class frmBackup_Restore : public QDialog, public BackupRestoreView {
    Q_OBJECT
public:
    frmBackup_Restore(grid::Spread& grid, DeclarationHost host, QWidget* parent = nullptr);

    // true: export face; false: import face. Set before the dialog is shown.
    void setBackup(bool isBackup) { controller_.bIsBackup = isBackup; }
    // A file the dialog opens with instead of the remembered one (a double-clicked
    // exchange file). Set before the dialog is shown.
    void setInitialPath(const std::string& path) { initialPath_ = path; }
    BackupRestoreController& controller() { return controller_; }

    // BackupRestoreView
    void applyCaptions(const std::string& section) override;
    void stateChanged() override;
    void focusPath() override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& start) override;
    std::optional<std::string> pickFile(const std::string& title, bool save, const std::string& start) override;
    void hideForm() override;
    void closeForm() override;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutControls();
    QRadioButton* optionButton(ExchangeOption option) const;

    BackupRestoreController controller_;
    std::string initialPath_;
    bool updating_ = false;

    QLabel* imgCaption;
    QLabel* lblCaption;
    QGroupBox* Frame1;
    QRadioButton* optionData;
    QRadioButton* optionExcel;
    QRadioButton* optionExcelSpecial;
    QLabel* lblMsg;
    QLineEdit* txtPath;
    QPushButton* cmdBrowser;
    QPushButton* cmdExt;
    QPushButton* cmdColl;
    QPushButton* cmdOK;
    QPushButton* cmdClose;
    QGroupBox* Frame2;
    QCheckBox* chkSelectAll;
    QTableWidget* fpSpread1;
};

}  // namespace zevo::exchange::ui

#pragma once
// The list import's window: the payroll file, its first rows, which column goes
// to which field of the list (guessed from the header, changeable), the import,
// and the report of every value not taken, which can be copied. Everything else
// is the engine's (ListSource, ListImport).
#include <QDialog>

#include <memory>

#include "zevo/engine/ListImport.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zevo::engine {
class MainController;
}

namespace zevo::ui {

class frmImportList : public QDialog {
    Q_OBJECT
public:
    explicit frmImportList(engine::MainController& controller, QWidget* parent = nullptr);

    // Reads the file, fills the preview and guesses the mapping; false (with the
    // reason shown) when it cannot be read.
    bool openFile(const QString& path);
    // The import with the mapping as the combo boxes show it.
    bool importNow();

    engine::ColumnMapping mapping() const;
    const engine::ImportReport& report() const { return report_; }
    QComboBox* mappingBox(const char* fieldKey) const;
    QTableWidget* reportTable() const { return tblReport; }

private:
    void browse();
    void fillPreview();
    void fillMapping(const engine::ColumnMapping& guess);
    void copyReport();
    // The preview's column headers name the field each column goes to.
    void markMappedColumns();

    engine::MainController& controller_;
    std::unique_ptr<engine::SourceTable> table_;
    engine::ImportReport report_;
    QLineEdit* txtPath;
    QPushButton* cmdBrowser;
    QLabel* lblInfo;
    QTableWidget* tblPreview;
    QTableWidget* tblMapping;
    QLabel* lblSummary;
    QTableWidget* tblReport;
    QPushButton* cmdImport;
    QPushButton* cmdCopy;
    QPushButton* cmdClose;
};

}  // namespace zevo::ui

#pragma once
// The print dialog: printer list, copies and pages boxes, and the preview, print,
// save-as-PDF and exit buttons. Thin over ReportsController.
#include <QDialog>

#include "zevo/printing/ReportsController.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zevo::printing {

class frmReports : public QDialog {
public:
    frmReports(const grid::SpreadModel& mainGrid, QWidget* parent = nullptr);

    ReportsController& controller() { return controller_; }
    // Asks where to save, then writes the PDF (the "Lưu PDF" button).
    void savePdf();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void layOut();
    void connectControls();
    void refresh();
    void afterCommand();

    ReportsController controller_;
    QLabel* imgCaption;
    QLabel* lblCaption;
    QLabel* lblPrinter;
    QComboBox* cboPrinters;
    QLabel* lblCopies;
    QLineEdit* txtNumberOfCopies;
    QLabel* lblPages;
    QLineEdit* txtPages;
    QLabel* lblPagesHint;
    QPushButton* cmdPreview;
    QPushButton* cmdPrint;
    QPushButton* cmdSavePdf;
    QPushButton* cmdExit;
};

}  // namespace zevo::printing

#pragma once
// The print preview: a toolbar of picture buttons (next, previous, zoom, print,
// close) with the page counter, and the current page drawn from the report
// model. Thin over PreviewController. Pages are drawn by the report painter
// rather than through QPrintPreviewWidget: that widget lays every page out in
// one print run with one page layout, while the preview steps sheet by sheet,
// skips sheets that are not printed and gives each sheet its own orientation.
#include <QDialog>

#include "zevo/printing/PreviewController.h"

class QLabel;
class QScrollArea;
class QToolButton;

namespace zevo::printing {

class ReportsController;
class frmReportData;

class frmPreview : public QDialog {
public:
    frmPreview(frmReportData& report, ReportsController& reports, QWidget* parent = nullptr);

    PreviewController& controller() { return controller_; }
    QToolButton* button(const char* name) const;
    QString counterText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class PageView;
    QToolButton* makeButton(const char* name, const char* picture, const char* suffix,
                            const QKeySequence& shortcut);
    void setButtonEnabled(QToolButton* button, bool enabled);
    void UpdatePageCount();

    PreviewController controller_;
    ReportsController& reports_;
    QLabel* imgCaption;
    QLabel* lblCaption;
    QWidget* toolbar_;
    QToolButton* cmdNext;
    QToolButton* cmdPrevious;
    QToolButton* cmdZoom;
    QToolButton* cmdPrint;
    QToolButton* cmdClose;
    QLabel* lblCounter;
    QScrollArea* scroll_;
    PageView* page_;
};

}  // namespace zevo::printing

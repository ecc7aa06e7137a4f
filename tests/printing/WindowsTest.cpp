// The print dialog and the preview as windows (offscreen): captions, the buttons a
// machine without printers allows, typing into the boxes, and the preview's
// toolbar with its pictures, tooltips, shortcuts and counter.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <cstdlib>

#include "PrintTestSupport.h"
#include "frmPreview.h"
#include "frmReports.h"
#include "zevo/printing/ReportPrinter.h"
#include "zevo/printing/frmReportData.h"

namespace zevo::printing::test {
namespace {

const bool kNoPrinters = [] {
    ::setenv("CUPS_SERVER", "/nonexistent/zevo-no-cups.sock", 1);
    return true;
}();

using WindowsTest = PrintTest;

TEST_F(WindowsTest, PrintDialogWithoutPrintersStillSavesPdf) {
    open();
    if (HasFatalFailure()) return;
    frmReports dialog(grid());
    dialog.show();
    auto* preview = dialog.findChild<QPushButton*>(QStringLiteral("cmdPreview"));
    auto* print = dialog.findChild<QPushButton*>(QStringLiteral("cmdPrint"));
    auto* pdf = dialog.findChild<QPushButton*>(QStringLiteral("cmdSavePdf"));
    ASSERT_TRUE(preview && print && pdf);
    EXPECT_FALSE(preview->isEnabled());
    EXPECT_FALSE(print->isEnabled());
    EXPECT_TRUE(pdf->isEnabled());
    EXPECT_EQ(pdf->text(), QStringLiteral("Lưu PDF"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("In tờ khai"));

    auto* copies = dialog.findChild<QLineEdit*>(QStringLiteral("txtNumberOfCopies"));
    auto* pages = dialog.findChild<QLineEdit*>(QStringLiteral("txtPages"));
    copies->selectAll();
    QTest::keyClicks(copies, "2a-3");
    EXPECT_EQ(copies->text(), QStringLiteral("23"));
    EXPECT_EQ(dialog.controller().copiesText(), "23");
    QTest::keyClicks(pages, "1, 3-4;x");
    EXPECT_EQ(pages->text(), QStringLiteral("1,3-4"));
    pages->setText(QStringLiteral("1,3-4"));
    emit pages->textEdited(QStringLiteral("1,3 4"));   // a paste: undone
    EXPECT_EQ(pages->text(), QStringLiteral("1,3-4"));
}

TEST_F(WindowsTest, PreviewToolbarFollowsThePages) {
    openWithIndividuals(1);
    if (HasFatalFailure()) return;
    frmReports dialog(grid());
    ReportPrinter routine(grid());
    bool looked = false;
    routine.preview = [&](frmReportData& report) {
        frmPreview preview(report, dialog.controller(), &dialog);
        preview.show();
        QApplication::processEvents();
        looked = true;
        EXPECT_EQ(preview.counterText(), QStringLiteral("Trang 1 trong 1"));
        QToolButton* next = preview.button("cmdNext");
        QToolButton* previous = preview.button("cmdPrevious");
        EXPECT_FALSE(next->isEnabled());
        EXPECT_FALSE(previous->isEnabled());
        EXPECT_TRUE(preview.button("cmdPrint")->isEnabled());
        EXPECT_EQ(next->toolTip(), QStringLiteral("Trang sau [Ctrl+N] "));
        EXPECT_EQ(preview.button("cmdClose")->toolTip(), QStringLiteral("Đóng [Ctrl+X] "));
        EXPECT_FALSE(next->icon().isNull()) << "RIGHT.BMP / RIGHTDIS.BMP";
        EXPECT_TRUE(next->text().isEmpty());
        QTest::keyClick(&preview, Qt::Key_N, Qt::ControlModifier);
        EXPECT_EQ(preview.controller().currentPage(), 1);
        QTest::keyClick(&preview, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(preview.controller().zoomed());
        QTest::keyClick(&preview, Qt::Key_X, Qt::ControlModifier);
        EXPECT_FALSE(preview.isVisible());
        return true;
    };
    EXPECT_TRUE(routine.printTaxationRegistrationReport(allPages(), nullptr));
    EXPECT_TRUE(looked);
}

}  // namespace
}  // namespace zevo::printing::test

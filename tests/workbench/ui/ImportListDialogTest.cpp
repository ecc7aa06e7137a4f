// The list import's window, reached from the main window's button: it guesses the
// columns of the file it is given, imports with the mapping its boxes show, shows
// the report of the values not taken, and the grid shows the new rows afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

#include "SpreadView.h"
#include "TempInstallTree.h"
#include "frmImportList.h"
#include "mainForm.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/testing/PayrollFile.h"
#include "zevo/testing/TestFiles.h"

namespace zevo::ui::test {
namespace {

TEST(ImportListDialog, TheButtonOpensItAndTheGuessedMappingImports) {
    static int argc = 1;
    static char name[] = "mainform_window_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    clsVariables::resetSession();
    if (!tools::TempInstallTree::staged(ZEVO_DIST_DIR)) GTEST_SKIP() << "no staged tree";
    tools::TempInstallTree tree(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR, "zevo-import-dialog");
    clsMessageBox::setPresenter(std::make_shared<ScriptedMessagePresenter>());
    engine::MainController controller;
    controller.setInstanceLockPath((tree.root() / "zevo.lock").string());
    mainForm window(controller);
    ASSERT_EQ(controller.Form_Load(), engine::StartResult::Ready);
    window.resize(1200, 760);
    window.show();

    // Twenty rows, the fifth with a sex the list does not have.
    auto rows = testing::makePayroll(20, false);
    rows[4].sex = "khác";
    const auto csv = tree.root() / "luong.csv";
    testing::writeFile(csv, testing::payrollCsv(rows));

    std::string guessedName, summary, report;
    bool shown = false, tabbedToBirth = false, enterImported = true;   // the mapping from the keyboard
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmImportList*>(QApplication::activeModalWidget());
        if (!dialog) return;
        shown = true;
        // Enter in the path box reads the file; it does not import yet.
        auto* path = dialog->findChild<QLineEdit*>(QStringLiteral("txtPath"));
        path->setText(QString::fromStdString(csv.string()));
        QTest::keyClick(path, Qt::Key_Return);
        enterImported = dialog->report().imported > 0 || !clsVariables().Data(0)->elementById("K_38").isNull() &&
                        !documents::GetAttributeValue(clsVariables().Data(0)->elementById("K_38"), "Value").empty();
        guessedName = dialog->mappingBox("name")->currentText().toStdString();
        // The mapping is reachable from the keyboard: Tab goes from field to field.
        // Tab leads from the preview into the boxes and from box to box (the
        // table around them takes no focus, or Tab would walk its cells instead).
        const auto nextTabStop = [&](QWidget* from) {
            QWidget* next = from->nextInFocusChain();
            while (next && !((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(dialog) && next->isEnabled()))
                next = next->nextInFocusChain();
            return next;
        };
        QWidget* preview = dialog->findChild<QWidget*>(QStringLiteral("tblPreview"));
        tabbedToBirth = nextTabStop(preview) == dialog->mappingBox("tin") &&
                        nextTabStop(dialog->mappingBox("name")) == dialog->mappingBox("birth");
        // The user drops the street from the import.
        dialog->mappingBox("street")->setCurrentIndex(0);
        // Alt plus the underlined letter imports.
        QApplication::setActiveWindow(dialog);   // as the window manager would
        QTest::keyClick(dialog, Qt::Key_N, Qt::AltModifier);
        // A mnemonic presses its button after a short animation.
        (void)QTest::qWaitFor([&] { return dialog->report().imported > 0; }, 3000);
        summary = dialog->report().summary();
        QTableWidget* table = dialog->reportTable();
        for (int r = 0; table->isVisible() && r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c)
                report += table->item(r, c)->text().toStdString() + (c + 1 < table->columnCount() ? "\t" : "\n");
        dialog->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
    });
    window.findChild<QPushButton*>(QStringLiteral("cmdImportList"))->click();
    ASSERT_TRUE(shown) << "the button opens the dialog";
    EXPECT_EQ(guessedName, "B: HO TEN");
    EXPECT_TRUE(tabbedToBirth);
    EXPECT_FALSE(enterImported) << "Enter in the path box imported at once";
    EXPECT_EQ(summary, "Đã nhập 19 dòng, 1 dòng không nhập. 1 ô không nhận (xem báo cáo).");
    EXPECT_NE(report.find("6\tD\tGiới tính\tkhác\tKhông có trong danh mục"), std::string::npos) << report;

    const auto stored = [](const std::string& id) {
        return documents::GetAttributeValue(clsVariables().Data(0)->elementById(id), "Value");
    };
    EXPECT_EQ(stored("K_56"), rows[19].name);
    EXPECT_EQ(stored("Z_38"), "") << "the street was not mapped";
    // The grid view shows the new rows.
    SpreadTable* table = window.spreadView()->currentTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->model()->index(55, testing::col("K") - 1).data().toString().toStdString(), rows[19].name);
    controller.ResetAdjustData();
    clsMessageBox::setPresenter(nullptr);
}

}  // namespace
}  // namespace zevo::ui::test

// The dialog on screen (offscreen platform): both faces with their captions,
// accelerators, hidden controls and sizes; the sheet list unfolding; OK and
// Alt+F4. With ZEVO_SHOT_DIR set, each face is saved there as a PNG.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <cstdlib>

#include "Declaration.h"
#include "frmBackup_Restore.h"

namespace zevo::exchange::test {
namespace {

int argc = 1;
char appName[] = "exchange_window_test";
char* argv[] = {appName, nullptr};

class DialogWindowTest : public DeclarationTest {
protected:
    void SetUp() override {
        if (!QApplication::instance()) new QApplication(argc, argv);
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        DeclarationTest::SetUp();
        if (!fs::exists(ZEVO_DIST_DIR "/Bin/Caption.xml")) GTEST_SKIP() << "the installation tree is not staged";
        setProgramFolderOverride(ZEVO_DIST_DIR "/Bin");
        captions_ = xml::Document::fromFile(ZEVO_DIST_DIR "/Bin/Caption.xml");
        clsVariables().NodeCaption(captions_->documentElement());
    }
    void TearDown() override {
        setProgramFolderOverride("");
        DeclarationTest::TearDown();
    }
    template <class T>
    T* child(QWidget& w, const char* name) {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void shoot(QWidget& w, const char* name) {
        if (const char* dir = std::getenv("ZEVO_SHOT_DIR"))
            EXPECT_TRUE(w.grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name)));
    }
    xml::DocumentPtr captions_;
};

TEST_F(DialogWindowTest, TheExportFace) {
    ui::frmBackup_Restore dialog(grid_, {});
    dialog.setBackup(true);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Kết xuất tệp dữ liệu hồ sơ"));
    EXPECT_EQ(child<QLabel>(dialog, "lblCaption")->text(), QStringLiteral("KẾT XUẤT TỆP DỮ LIỆU HỒ SƠ"));
    EXPECT_TRUE(child<QPushButton>(dialog, "cmdOK")->text().contains(QStringLiteral("&K")));
    EXPECT_TRUE(child<QRadioButton>(dialog, "optionData")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "optionExcelSpecial")->isVisible());
    EXPECT_TRUE(child<QPushButton>(dialog, "cmdExt")->isVisible());
    EXPECT_FALSE(child<QPushButton>(dialog, "cmdColl")->isVisible());
    EXPECT_FALSE(child<QGroupBox>(dialog, "Frame2")->isVisible());
    EXPECT_TRUE(child<QLineEdit>(dialog, "txtPath")->text().endsWith(QStringLiteral("/zevo_export.txt")));
    shoot(dialog, "export-face.png");

    const int collapsed = dialog.height();
    QTest::mouseClick(child<QPushButton>(dialog, "cmdExt"), Qt::LeftButton);
    EXPECT_TRUE(child<QGroupBox>(dialog, "Frame2")->isVisible());
    EXPECT_TRUE(child<QPushButton>(dialog, "cmdColl")->isVisible());
    EXPECT_FALSE(child<QPushButton>(dialog, "cmdExt")->isVisible());
    EXPECT_EQ(dialog.height(), collapsed + 2400 / 15);
    auto* list = child<QTableWidget>(dialog, "fpSpread1");
    ASSERT_EQ(list->rowCount(), 4);
    EXPECT_EQ(list->item(3, 0)->text(), QStringLiteral("Sheet 4"));
    // The select-all box clears every row; the list's own change clears the box.
    child<QCheckBox>(dialog, "chkSelectAll")->click();
    EXPECT_EQ(list->item(0, 0)->checkState(), Qt::Unchecked);
    child<QCheckBox>(dialog, "chkSelectAll")->click();
    EXPECT_EQ(list->item(0, 0)->checkState(), Qt::Checked);
    list->setFocus();
    dialog.controller().sheetListFocus(true);   // no window manager to deliver the focus event
    list->item(3, 0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(child<QCheckBox>(dialog, "chkSelectAll")->isChecked());
    shoot(dialog, "export-face-sheet-list.png");

    // The Excel options take a folder and re-caption the dialog.
    child<QRadioButton>(dialog, "optionExcel")->click();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Kết xuất tệp Excel"));
    EXPECT_EQ(child<QLabel>(dialog, "lblMsg")->text(), QStringLiteral("Thư mục kết xuất:"));
    child<QRadioButton>(dialog, "optionData")->click();

    // OK writes the sheets ticked and the selection ends with the dialog.
    const fs::path file = root_ / "face.txt";
    child<QLineEdit>(dialog, "txtPath")->setText(QString::fromStdString(file.string()));
    QTest::keyClicks(child<QLineEdit>(dialog, "txtPath"), "");
    dialog.controller().setPath(file.string());
    QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(readExchangeFile(file.string()).text.find("<S4>"), std::string::npos);
    EXPECT_EQ(active(3), "1");
}

TEST_F(DialogWindowTest, TheImportFace) {
    ui::frmBackup_Restore exportDialog(grid_, {});
    exportDialog.setBackup(true);
    exportDialog.show();
    QApplication::processEvents();
    const int exportHeight = exportDialog.height();
    exportDialog.close();

    ui::frmBackup_Restore dialog(grid_, {});
    dialog.setBackup(false);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Mở tệp hồ sơ"));
    EXPECT_TRUE(child<QPushButton>(dialog, "cmdOK")->text().contains(QStringLiteral("&T")));
    EXPECT_FALSE(child<QRadioButton>(dialog, "optionExcelSpecial")->isVisible());
    EXPECT_FALSE(child<QPushButton>(dialog, "cmdExt")->isVisible());
    EXPECT_FALSE(child<QPushButton>(dialog, "cmdColl")->isVisible());
    EXPECT_TRUE(child<QRadioButton>(dialog, "optionData")->isChecked());
    EXPECT_EQ(child<QRadioButton>(dialog, "optionExcel")->text(), QStringLiteral("Thay thế hồ sơ đang mở"));
    // Shortened by the hidden option's row.
    EXPECT_EQ(dialog.height(), exportHeight - 330 / 15);
    shoot(dialog, "import-face.png");

    // Alt+F4 closes it like the close button, and "Active" is as it was.
    documents::SetAttributeValue(sheetEntry(0), "Active", "0");
    QTest::keyClick(&dialog, Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.controller().loaded());
    EXPECT_EQ(active(0), "1");
}

}  // namespace
}  // namespace zevo::exchange::test

// Window and control texts from the caption catalogue; the caption banner.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include <unistd.h>

#include "SessionCatalogues.h"
#include "zevo/clsMessageBox.h"

using namespace zevo;

namespace {

const char* kCaptions =
    "<Caption>"
    "<frmOther Caption='Other window'><C Name='lblTitle' Caption='wrong section'/></frmOther>"
    "<MAINFORM Caption='Tờ khai\\nđăng ký'>"
    "<C Name='LBLTITLE' Caption='A\\nB'/>"
    "<C Name='lblTitle' Caption='second entry is not used'/>"
    "<C Name='cmdSave' Caption='Ghi'/>"
    "<C Name='fraPeriod' Caption='Kỳ kê khai'/>"
    "<C Name='chkAll' Caption='Tất cả'/>"
    "<C Name='mnuExit' Caption='Thoát'/>"
    "<C Name='txtCode' Caption='must not become the typed value'/>"
    "<C Name='lblIndex' Caption='same for every member'/>"
    "</MAINFORM>"
    "<mainform Caption='a later duplicate section'/>"
    "</Caption>";

struct Window {
    QWidget form;
    QLabel* title;
    QPushButton* save;
    QGroupBox* period;
    QCheckBox* all;
    QLineEdit* code;
    QLabel* untouched;
    QAction* exitAction;
    QLabel* index[2];

    Window() {
        form.setObjectName("mainForm");
        form.setWindowTitle("compiled-in title");
        title = new QLabel("compiled", &form);
        title->setObjectName("lblTitle");
        save = new QPushButton("Save", &form);
        save->setObjectName("cmdSave");
        period = new QGroupBox("Period", &form);
        period->setObjectName("fraPeriod");
        all = new QCheckBox("All", period);   // nested inside the group box
        all->setObjectName("chkAll");
        code = new QLineEdit("0100231226", &form);
        code->setObjectName("txtCode");
        untouched = new QLabel("kept", &form);
        untouched->setObjectName("lblNotInCatalogue");
        exitAction = new QAction("Exit", &form);
        exitAction->setObjectName("mnuExit");
        for (auto*& l : index) {
            l = new QLabel("x", &form);
            l->setObjectName("lblIndex");
        }
    }
};

class CaptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        clsVariables::resetSession();
        testing_support::loadCaptions(kCaptions);
    }
    void TearDown() override {
        clsVariables::resetSession();
        setProgramFolderOverride("");
    }
};

TEST_F(CaptionTest, SectionAndControlsMatchCaseInsensitively) {
    Window w;
    clsMessageBox().SetControlCaption(&w.form, "");   // section named after the window
    // The title keeps the two characters "\n"; controls break the line.
    EXPECT_EQ(w.form.windowTitle(), QStringLiteral("Tờ khai\\nđăng ký"));
    EXPECT_EQ(w.title->text(), "A\nB");
    EXPECT_EQ(w.save->text(), "Ghi");
    EXPECT_EQ(w.period->title(), QStringLiteral("Kỳ kê khai"));
    EXPECT_EQ(w.all->text(), QStringLiteral("Tất cả"));
    EXPECT_EQ(w.exitAction->text(), QStringLiteral("Thoát"));
    EXPECT_EQ(w.index[0]->text(), "same for every member");
    EXPECT_EQ(w.index[1]->text(), "same for every member");
    // Controls without a caption entry, or without a caption at all, keep their text.
    EXPECT_EQ(w.untouched->text(), "kept");
    EXPECT_EQ(w.code->text(), "0100231226");
}

TEST_F(CaptionTest, ExplicitSectionNameAndMissingSections) {
    Window w;
    clsMessageBox().SetControlCaption(&w.form, "FRMOTHER");
    EXPECT_EQ(w.form.windowTitle(), "Other window");
    EXPECT_EQ(w.title->text(), "wrong section");

    Window unchanged;
    clsMessageBox().SetControlCaption(&unchanged.form, "frmNowhere");
    EXPECT_EQ(unchanged.form.windowTitle(), "compiled-in title");
    EXPECT_EQ(unchanged.title->text(), "compiled");

    clsVariables::resetSession();   // no caption catalogue loaded
    clsMessageBox().SetControlCaption(&unchanged.form, "");
    EXPECT_EQ(unchanged.title->text(), "compiled");
    clsMessageBox().SetControlCaption(nullptr, "mainForm");   // no crash
}

TEST_F(CaptionTest, BannerSpansTheWindowTopInWhiteBoldText) {
    // Install a banner picture, written as PNG but named caption.bmp.
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("zevo_banner_" + std::to_string(::getpid()));
    fs::create_directories(root / "Bin");
    fs::create_directories(root / "Pictures");
    QImage picture(40, 10, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    ASSERT_TRUE(picture.save(QString::fromStdString((root / "Pictures" / "caption.bmp").string()), "PNG"));
    setProgramFolderOverride((root / "Bin").string());

    QWidget form;
    form.resize(300, 200);
    auto* banner = new QLabel(&form);
    auto* caption = new QLabel("Thông tin", &form);
    clsMessageBox().SetFormCaption(&form, banner, caption);

    EXPECT_EQ(banner->geometry(), QRect(0, 0, 300, 21));
    EXPECT_FALSE(banner->pixmap().isNull());
    EXPECT_TRUE(banner->hasScaledContents());
    EXPECT_EQ(caption->geometry(), QRect(2, 2, 300, 21));
    EXPECT_TRUE(caption->font().bold());
    EXPECT_EQ(caption->font().pointSize(), 9);
    EXPECT_EQ(caption->palette().color(QPalette::WindowText), QColor(Qt::white));

    // Resizing the window and laying out again follows the new width; a missing
    // picture keeps the banner usable.
    fs::remove(root / "Pictures" / "caption.bmp");
    form.resize(500, 200);
    auto* bare = new QLabel(&form);
    clsMessageBox().SetFormCaption(&form, bare, caption);
    EXPECT_EQ(bare->geometry(), QRect(0, 0, 500, 21));
    EXPECT_EQ(caption->width(), 500);
    fs::remove_all(root);
}

}  // namespace

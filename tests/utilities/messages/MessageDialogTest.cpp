// The real message dialog, shown offscreen and answered through its buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <thread>

#include "SessionCatalogues.h"
#include "zevo/clsMessageBox.h"

using namespace zevo;

namespace {

// What the dialog looked like when it became the active modal window.
struct Seen {
    bool found = false;
    QString focused;
    QString title = QStringLiteral("unset");
    QString text;
    std::vector<QString> visibleButtons;   // names, left to right
    std::map<QString, QString> buttonTexts;
    std::map<QString, QRect> geometry;
    int dialogWidth = 0;
    std::vector<bool> iconsShown;
};

// Shows a message through the default presenter; `act` answers the dialog once it
// is up (after the focus has settled).
int showAndAct(const std::string& id, int style, int icon, int def, Seen& seen,
               std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    int ticks = 0;
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || ++ticks < 3) return;   // let activation and focus settle
        timer->stop();
        seen.found = true;
        seen.focused = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "";
        seen.title = dialog->windowTitle();
        seen.text = dialog->findChild<QLabel*>("lblMessage")->text();
        seen.dialogWidth = dialog->width();
        for (int i = 1; i <= 3; ++i) {
            auto* b = dialog->findChild<QPushButton*>(QStringLiteral("cmdButton%1").arg(i));
            seen.buttonTexts[b->objectName()] = b->text();
            seen.geometry[b->objectName()] = b->geometry();
            if (b->isVisible()) seen.visibleButtons.push_back(b->objectName());
        }
        for (auto* pic : dialog->findChildren<QLabel*>("picIcon")) seen.iconsShown.push_back(pic->isVisible());
        act(dialog);
    });
    timer->start(20);
    int result = clsMessageBox().DisplayMessage(id, style, icon, "Message", def);
    timer->stop();
    delete timer;
    return result;
}

void press(QWidget* dialog, const char* name) {
    dialog->findChild<QPushButton*>(name)->click();
}

class MessageDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        clsVariables::resetSession();
        clsMessageBox::setPresenter(nullptr);
        testing_support::loadMessages(
            "<Root><Message><M ID='0002' Msg='Bạn có muốn ghi lại không?'/></Message></Root>");
        testing_support::loadCaptions(
            "<Caption>"
            "<frmYesNo Caption='ignored'><C Name='cmdButton2' Caption='Yes'/>"
            "<C Name='CMDBUTTON3' Caption='No'/><C Name='lblCaption' Caption='Hỏi'/></frmYesNo>"
            "</Caption>");
    }
    void TearDown() override { clsVariables::resetSession(); }
};

TEST_F(MessageDialogTest, EnterOnYesNoPressesTheDefaultNoButton) {
    Seen seen;
    int result = showAndAct("0002", msYesNo, miQuestion, mrNo, seen, [](QWidget* d) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : d, Qt::Key_Return);
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(result, mrNo);
    EXPECT_EQ(seen.focused, "cmdButton3");
    EXPECT_EQ(seen.text, QStringLiteral("Bạn có muốn ghi lại không?"));
    // The style's caption section names the buttons; the title bar stays empty.
    EXPECT_EQ(seen.buttonTexts["cmdButton2"], "Yes");
    EXPECT_EQ(seen.buttonTexts["cmdButton3"], "No");
    EXPECT_EQ(seen.title, "");
    EXPECT_EQ(seen.visibleButtons, (std::vector<QString>{"cmdButton2", "cmdButton3"}));
    EXPECT_EQ(seen.iconsShown, (std::vector<bool>{false, true, false, false}));
    // Two buttons sit side by side around the middle, No right of Yes.
    QRect yes = seen.geometry["cmdButton2"], no = seen.geometry["cmdButton3"];
    EXPECT_EQ(yes.width(), no.width());
    EXPECT_LT(yes.right(), no.left());
    EXPECT_NEAR((yes.left() + no.right()) / 2.0, seen.dialogWidth / 2.0, 4);
}

TEST_F(MessageDialogTest, OkOnlyShowsOneCentredFocusedButton) {
    Seen seen;
    int result = showAndAct("0002", msOKOnly, miInformation, 0, seen,
                            [](QWidget* d) { press(d, "cmdButton3"); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(result, mrOK);
    EXPECT_EQ(seen.focused, "cmdButton3");
    EXPECT_EQ(seen.visibleButtons, (std::vector<QString>{"cmdButton3"}));
    EXPECT_EQ(seen.buttonTexts["cmdButton3"], QStringLiteral("Đồng ý"));   // compiled-in default
    QRect ok = seen.geometry["cmdButton3"];
    EXPECT_NEAR(ok.center().x(), seen.dialogWidth / 2.0, 2);
}

TEST_F(MessageDialogTest, ThreeButtonStylesMapEachButtonToItsCode) {
    struct Case { int style; const char* button; int expected; };
    const Case cases[] = {
        {msYesNoCancel, "cmdButton1", mrYes},   {msYesNoCancel, "cmdButton2", mrNo},
        {msYesNoCancel, "cmdButton3", mrCancel}, {msOKCancelRetry, "cmdButton3", mrRetry},
        {msAbortRetryIgnore, "cmdButton3", mrIgnore}, {msAbortRetryIgnore, "cmdButton2", mrRetry},
        {msOKCancel, "cmdButton2", mrOK},
    };
    for (const Case& c : cases) {
        Seen seen;
        int result = showAndAct("0002", c.style, miWarning, -1, seen,
                                [&](QWidget* d) { press(d, c.button); });
        ASSERT_TRUE(seen.found) << c.style;
        EXPECT_EQ(result, c.expected) << c.style << " " << c.button;
    }

    Seen seen;
    showAndAct("0002", msYesNoCancel, miWarning, -1, seen, [](QWidget* d) { press(d, "cmdButton1"); });
    // No matching default: focus on the first visible button; buttons left to right.
    EXPECT_EQ(seen.focused, "cmdButton1");
    EXPECT_EQ(seen.visibleButtons.size(), 3u);
    EXPECT_LT(seen.geometry["cmdButton1"].right(), seen.geometry["cmdButton2"].left());
    EXPECT_LT(seen.geometry["cmdButton2"].right(), seen.geometry["cmdButton3"].left());
    EXPECT_EQ(seen.buttonTexts["cmdButton1"], QStringLiteral("Có"));
    EXPECT_EQ(seen.buttonTexts["cmdButton3"], QStringLiteral("Hủy bỏ"));
}

TEST_F(MessageDialogTest, ClosingWithoutAButtonGivesZero) {
    Seen escaped;
    EXPECT_EQ(showAndAct("0002", msYesNo, miQuestion, mrYes, escaped,
                         [](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); }),
              0);
    EXPECT_EQ(escaped.focused, "cmdButton2");
    Seen closed;
    EXPECT_EQ(showAndAct("9999", msOKCancel, miInformation, mrOK, closed,
                         [](QWidget* d) { d->close(); }),
              0);
    EXPECT_EQ(closed.text, "");   // unknown id: empty text, dialog shown all the same
    EXPECT_TRUE(closed.found);
}

TEST_F(MessageDialogTest, OffTheUserInterfaceThreadNothingIsShown) {
    int result = -1;
    std::thread worker([&] {
        result = clsMessageBox().DisplayMessage("0002", msOKOnly, miInformation, "Message", 0);
    });
    worker.join();
    EXPECT_EQ(result, 0);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

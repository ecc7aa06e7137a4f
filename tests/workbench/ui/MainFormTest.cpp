// The main window shown offscreen: keys typed into the grid view reach the sheet
// documents, F5 grows the list, the buttons carry their captions in order, and
// saving marks the failing cell in the view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolTip>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "AutosaveDriver.h"
#include "InstanceBeacon.h"
#include "ProblemsPanel.h"
#include "SpreadDelegate.h"
#include "SpreadTableModel.h"
#include "SpreadView.h"
#include "TempInstallTree.h"
#include "mainForm.h"
#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/grid/ColumnLetters.h"
#include "zevo/testing/TestFiles.h"

namespace zevo::ui::test {
namespace {

namespace fs = std::filesystem;
using Ids = std::vector<std::string>;

using zevo::testing::col;
using zevo::testing::readFile;

std::string stored(int sheetIndex, const std::string& id) {
    return documents::GetAttributeValue(clsVariables().Data(sheetIndex)->elementById(id), "Value");
}

TEST(InputMask, GridMasksBecomeQtInputMasks) {
    EXPECT_EQ(toInputMask("99//99//9999"), QStringLiteral("99/99/9999"));
    EXPECT_EQ(toInputMask("99.99"), QStringLiteral("99.99"));
    EXPECT_EQ(toInputMask("AA-?"), QStringLiteral("NN-A"));
    // Literals that are mask characters in Qt are escaped.
    EXPECT_EQ(toInputMask("9//B"), QStringLiteral("9/\\B"));
}

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "mainform_window_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
        clsVariables::resetSession();
        if (!tools::TempInstallTree::staged(ZEVO_DIST_DIR)) GTEST_SKIP() << "no staged tree";
        tree_ = std::make_unique<tools::TempInstallTree>(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR,
                                                         "zevo-mainform");
        setErrorLogFolderOverride(tree_->root().string());
        presenter_ = std::make_shared<ScriptedMessagePresenter>();
        clsMessageBox::setPresenter(presenter_);
    }
    void TearDown() override {
        clsMessageBox::setPresenter(nullptr);
        setErrorLogFolderOverride("");
        tree_.reset();
        clsVariables::resetSession();
    }

    // Moves the view's cursor to (column, row) of the shown sheet and types.
    static void typeInto(SpreadTable* table, const char* column, int row, const QString& text) {
        table->setCurrentIndex(table->model()->index(row - 1, col(column) - 1));
        // The first key opens the editor; the rest go to the editor as a user's would.
        QTest::keyClick(table, text.at(0).toLatin1());
        QWidget* editor = table->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr) << "typing starts editing";
        QTest::keyClicks(editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();   // the editor closes on a queued call
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opens the editor with the first character, types the rest and leaves with `leave`.
    static void typeAndLeave(SpreadTable* table, const char* column, int row, const QString& text,
                             Qt::Key leave) {
        table->setCurrentIndex(table->model()->index(row - 1, col(column) - 1));
        if (text.isEmpty()) {
            QTest::keyClick(table, Qt::Key_F2);
        } else {
            QTest::keyClick(table, text.at(0).toLatin1());
        }
        auto* editor = table->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr) << "the cell opens an editor";
        QTest::keyClicks(editor, text.mid(1));
        QTest::keyClick(editor, leave);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void openWindow(engine::MainController& controller, mainForm& window) {
        controller.setInstanceLockPath((tree_->root() / "zevo.lock").string());
        ASSERT_EQ(controller.Form_Load(), engine::StartResult::Ready);
        window.resize(1200, 760);
        window.show();
        window.activateWindow();
        window.focusGrid();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    std::unique_ptr<tools::TempInstallTree> tree_;
    std::shared_ptr<ScriptedMessagePresenter> presenter_;
};

TEST(InstanceBeacon, ASecondStartBringsTheRunningWindowForward) {
    static int argc = 1;
    static char name[] = "mainform_window_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    const QString lock = QString::fromStdString(
        (fs::temp_directory_path() / ("zevo-beacon-" + std::to_string(::getpid()) + ".lock")).string());
    EXPECT_FALSE(InstanceBeacon::callRunning(lock)) << "nobody listens yet";
    QWidget window;
    window.showMinimized();
    InstanceBeacon beacon;
    ASSERT_TRUE(beacon.listen(lock, &window));
    bool raised = false;
    QObject::connect(&beacon, &InstanceBeacon::raised, [&] { raised = true; });
    EXPECT_TRUE(InstanceBeacon::callRunning(lock));
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised; }, 3000));
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
}

TEST(DigitMask, DigitsAloneGetTheMasksSeparators) {
    EXPECT_EQ(fillDigitMask("99//99//9999", QStringLiteral("01021985")), QStringLiteral("01/02/1985"));
    EXPECT_EQ(fillDigitMask("99//99", QStringLiteral("0509")), QStringLiteral("05/09"));
    // Anything else is left for the rules to complete or refuse.
    EXPECT_EQ(fillDigitMask("99//99//9999", QStringLiteral("1985")), QStringLiteral("1985"));
    EXPECT_EQ(fillDigitMask("99//99//9999", QStringLiteral("1/2/1985")), QStringLiteral("1/2/1985"));
}

TEST(PickSearch, AnyPartOfTheNameWithoutDiacritics) {
    EXPECT_EQ(foldForSearch(QStringLiteral("Tỉnh Nghệ An")), QStringLiteral("tinh nghe an"));
    EXPECT_EQ(foldForSearch(QStringLiteral("Quận Đống Đa")), QStringLiteral("quan dong da"));
    const QStringList provinces{QString(), QStringLiteral("Tỉnh Nghệ An"),
                                QStringLiteral("Thành phố Hồ Chí Minh"), QStringLiteral("Tỉnh Hà Nam"),
                                QStringLiteral("Thành phố Hà Nội")};
    EXPECT_EQ(resolvePick(provinces, QStringLiteral("nghe")), QStringLiteral("Tỉnh Nghệ An"));
    EXPECT_EQ(resolvePick(provinces, QStringLiteral("ho chi")), QStringLiteral("Thành phố Hồ Chí Minh"));
    EXPECT_EQ(resolvePick(provinces, QStringLiteral("Thành phố Hà Nội")), QStringLiteral("Thành phố Hà Nội"));
    // Two names match: nothing is guessed. An empty text clears.
    EXPECT_TRUE(resolvePick(provinces, QStringLiteral("ha n")).isNull());
    EXPECT_TRUE(resolvePick(provinces, QStringLiteral("xyz")).isNull());
    EXPECT_EQ(resolvePick(provinces, QStringLiteral(" ")), QStringLiteral(""));
}

TEST_F(MainFormTest, DateCellsAlwaysLetTheCursorGo) {
    engine::MainController controller;
    mainForm window(controller);
    openWindow(controller, window);
    if (HasFatalFailure()) return;
    SpreadTable* table = window.spreadView()->currentTable();
    ASSERT_NE(table, nullptr);
    auto at = [&](const char* column, int row) { return table->model()->index(row - 1, col(column) - 1); };

    // Typed with slashes and left with Tab: the rules complete it, the cursor moves on.
    typeAndLeave(table, "N", 38, QStringLiteral("1/2/1985"), Qt::Key_Tab);
    EXPECT_EQ(stored(0, "N_38"), "01/02/1985");
    EXPECT_FALSE(table->editing());
    // Tab skips the hidden id column P: the next field is the sex.
    EXPECT_EQ(table->currentIndex(), at("Q", 38));

    // An empty optional date opened and left with Tab, then with Enter.
    typeAndLeave(table, "X", 38, QString(), Qt::Key_Tab);
    EXPECT_FALSE(table->editing());
    EXPECT_NE(table->currentIndex(), at("X", 38));
    EXPECT_EQ(stored(0, "X_38"), "");
    typeAndLeave(table, "U", 38, QString(), Qt::Key_Return);
    EXPECT_NE(table->currentIndex(), at("U", 38));

    // A date the rules refuse: the status line says what and why, the cell keeps a note.
    typeAndLeave(table, "N", 38, QStringLiteral("31/02/1985"), Qt::Key_Tab);
    EXPECT_NE(table->currentIndex(), at("N", 38));
    EXPECT_EQ(stored(0, "N_38"), "");
    EXPECT_TRUE(window.statusLabel()->text().contains(QStringLiteral("31/02/1985")))
        << window.statusLabel()->text().toStdString();
    EXPECT_TRUE(at("N", 38).data(Qt::ToolTipRole).toString().contains(QStringLiteral("31/02/1985")));
    EXPECT_TRUE(at("N", 38).data(SpreadTableModel::HasNoteRole).toBool());

    // A partial year left with the down arrow goes to the rules too.
    typeAndLeave(table, "AU", 38, QStringLiteral("1985"), Qt::Key_Down);
    EXPECT_FALSE(table->editing());
    EXPECT_NE(table->currentIndex(), at("AU", 38));
    EXPECT_TRUE(window.statusLabel()->text().contains(QStringLiteral("\"1985\"")));

    // A character past the maximum length (12 for the identity number) is said.
    table->setCurrentIndex(at("T", 38));
    QTest::keyClick(table, '0');
    auto* identity = table->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(identity, nullptr);
    QTest::keyClicks(identity, QStringLiteral("010850123456"));
    EXPECT_TRUE(window.statusLabel()->text().contains(QStringLiteral("12")) &&
                window.statusLabel()->text().contains(QStringLiteral("\"6\"")))
        << window.statusLabel()->text().toStdString();
    QTest::keyClick(identity, Qt::Key_Tab);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(stored(0, "T_38"), "001085012345");

    // Fixed: the note goes.
    typeAndLeave(table, "N", 38, QStringLiteral("05091985"), Qt::Key_Return);
    EXPECT_EQ(stored(0, "N_38"), "05/09/1985");
    EXPECT_FALSE(at("N", 38).data(SpreadTableModel::HasNoteRole).toBool());
}

TEST_F(MainFormTest, SmallestWindowKeepsEveryButtonAndTheTitleFollowsTheSheet) {
    engine::MainController controller;
    mainForm window(controller);
    openWindow(controller, window);
    if (HasFatalFailure()) return;
    window.resize(window.minimumSize());
    QApplication::processEvents();
    int right = 0;
    for (const char* name : {"cmdDelete", "cmdExport", "cmdImport", "cmdImportList", "cmdPrint", "cmdSave", "cmdExit"}) {
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr);
        const QRect r(button->mapTo(&window, QPoint(0, 0)), button->size());
        EXPECT_TRUE(window.rect().contains(r)) << name;
        EXPECT_GE(r.left(), right) << name << " overlaps its neighbour";
        EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text().remove(u'&')))
            << name << " cuts its caption";
        right = r.right();
    }
    SpreadView* view = window.spreadView();
    view->setCurrentIndex(1);
    EXPECT_TRUE(window.windowTitle().endsWith(view->tabText(1))) << window.windowTitle().toStdString();
    view->setCurrentIndex(0);
    EXPECT_TRUE(window.windowTitle().endsWith(view->tabText(0)));
}

TEST_F(MainFormTest, PickListsFilterAsTheUserTypes) {
    engine::MainController controller;
    mainForm window(controller);
    openWindow(controller, window);
    if (HasFatalFailure()) return;
    SpreadTable* table = window.spreadView()->currentTable();
    ASSERT_NE(table, nullptr);
    table->setCurrentIndex(table->model()->index(37, col("AB") - 1));
    QTest::keyClick(table, 'n');
    auto* combo = table->viewport()->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("ghe"));
    ASSERT_NE(combo->completer(), nullptr);
    QAbstractItemModel* shown = combo->completer()->completionModel();
    ASSERT_GE(shown->rowCount(), 1);
    EXPECT_EQ(shown->index(0, 0).data().toString(), QStringLiteral("Tỉnh Nghệ An"));
    // Enter picks the first match and goes on.
    QWidget* popup = combo->completer()->popup();
    ASSERT_TRUE(popup->isVisible());
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Return);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(stored(0, "AB_38"), "Tỉnh Nghệ An");
    EXPECT_FALSE(table->editing());
    EXPECT_GT(table->currentIndex().column(), col("AB") - 1);
    // The district list followed the province.
    grid::SpreadModel& g = controller.grid();
    g.setPosition(1, col("AD"), 38);
    EXPECT_NE(g.comboList().find("Thành phố Vinh"), std::string::npos);

    // Typed without opening the list: "ho chi" is one province only.
    table->setCurrentIndex(table->model()->index(37, col("AK") - 1));
    QTest::keyClick(table, 'h');
    combo = table->viewport()->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("o chi"));
    combo->completer()->popup()->hide();
    QTest::keyClick(combo->lineEdit(), Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(stored(0, "AK_38"), "Thành phố Hồ Chí Minh");
}

TEST_F(MainFormTest, MarkedCellsSayWhyAndRowsBelowTheListTakeNoTyping) {
    engine::MainController controller;
    mainForm window(controller);
    openWindow(controller, window);
    if (HasFatalFailure()) return;
    SpreadTable* table = window.spreadView()->currentTable();
    ASSERT_NE(table, nullptr);
    auto at = [&](const char* column, int row) { return table->model()->index(row - 1, col(column) - 1); };

    // A tax code with a wrong check digit is marked by the check of Save, which
    // puts the cursor on it: the status line says why before its usual hint.
    typeAndLeave(table, "K", 9, QStringLiteral("0100109107"), Qt::Key_Return);
    // Ctrl+S saves as the button does.
    presenter_->push(mrNo);
    QTest::keyClick(table, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(presenter_->shownIds(), std::vector<std::string>({"0015"}));
    const QString note = at("K", 9).data(Qt::ToolTipRole).toString();
    ASSERT_FALSE(note.isEmpty());
    EXPECT_EQ(table->currentIndex(), at("K", 9));
    EXPECT_TRUE(window.statusLabel()->text().startsWith(note.trimmed()))
        << window.statusLabel()->text().toStdString();
    // Shift+F2 shows the note beside the cell.
    QTest::keyClick(table, Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), note);
    QToolTip::hideText();
    EXPECT_FALSE(table->editing()) << "Shift+F2 opens no editor";

    // Enter on the last field of the only individual: the cursor is below the list.
    // Typing there opens nothing; F5 there appends an individual.
    EXPECT_FALSE(at("K", 39).flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(at("G", 40).flags() & Qt::ItemIsEditable);
    table->setCurrentIndex(at("K", 39));
    QTest::keyClick(table, 'x');
    EXPECT_FALSE(table->editing());
    const int rowsBefore = table->model()->rowCount();
    QTest::keyClick(table, Qt::Key_F5);
    EXPECT_EQ(table->model()->rowCount(), rowsBefore + 1);
    EXPECT_EQ(at("D", 40).data().toString(), QStringLiteral("aa"));
    EXPECT_TRUE(at("K", 39).flags() & Qt::ItemIsEditable);
    EXPECT_EQ(table->currentIndex().row(), 38) << "the new individual's row";
    typeAndLeave(table, "K", 39, QStringLiteral("Tran Thi Binh"), Qt::Key_Tab);
    EXPECT_EQ(stored(0, "K_39"), "Tran Thi Binh");
    // Delete clears a text cell as it clears a pick.
    table->setCurrentIndex(at("K", 39));
    QTest::keyClick(table, Qt::Key_Delete);
    EXPECT_EQ(stored(0, "K_39"), "");
    EXPECT_EQ(at("K", 39).data().toString(), QString());
}

TEST_F(MainFormTest, TypingThroughTheViewF5AndSave) {
    engine::MainController controller;
    mainForm window(controller);
    openWindow(controller, window);
    if (HasFatalFailure()) return;

    // Captions from the catalogue; the buttons stand in order and end 120 twips
    // (8 px) before the right edge of their frame.
    const auto* save = window.findChild<QPushButton*>(QStringLiteral("cmdSave"));
    const auto* exit = window.findChild<QPushButton*>(QStringLiteral("cmdExit"));
    const auto* create = window.findChild<QPushButton*>(QStringLiteral("cmdDelete"));
    ASSERT_TRUE(save && exit && create);
    // Alt plus the underlined letter presses a button.
    EXPECT_EQ(save->text(), QStringLiteral("&Ghi"));
    EXPECT_LT(create->x(), save->x());
    EXPECT_LT(save->x(), exit->x());
    EXPECT_EQ(exit->parentWidget()->width() - (exit->x() + exit->width()), 8);
    EXPECT_FALSE(window.windowTitle().isEmpty());
    // The window takes the colour the template's grey labels were given.
    ASSERT_TRUE(controller.session().windowBackColour.has_value());
    const grid::Colour back = *controller.session().windowBackColour;
    EXPECT_EQ(window.palette().color(QPalette::Window),
              QColor(back & 0xFF, (back >> 8) & 0xFF, (back >> 16) & 0xFF));
    EXPECT_TRUE(window.autoFillBackground());

    SpreadView* view = window.spreadView();
    ASSERT_EQ(view->count(), 2) << "two visible sheets";
    SpreadTable* table = view->currentTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->sheet(), 1);

    typeInto(table, "K", 7, QStringLiteral("Cong ty A"));
    EXPECT_EQ(stored(0, "K_7"), "Cong ty A");
    EXPECT_EQ(table->model()->index(6, col("K") - 1).data().toString(), QStringLiteral("Cong ty A"));
    // Enter moved the cursor on.
    EXPECT_GT(table->currentIndex().row(), 6);

    typeInto(table, "K", 38, QStringLiteral("Nguyen Van An"));
    EXPECT_EQ(stored(0, "K_38"), "Nguyen Van An");
    // A masked date takes the digits only.
    typeInto(table, "N", 38, QStringLiteral("01021985"));
    EXPECT_EQ(stored(0, "N_38"), "01/02/1985");

    const int rowsBefore = table->model()->rowCount();
    table->setCurrentIndex(table->model()->index(37, col("K") - 1));
    QTest::keyClick(table, Qt::Key_F5);
    EXPECT_EQ(table->model()->rowCount(), rowsBefore + 1);
    EXPECT_EQ(table->model()->index(39, col("D") - 1).data().toString(), QStringLiteral("aa"));
    EXPECT_FALSE(clsVariables().Data(0)->elementById("K_39").isNull());

    // Save: the organisation's tax code is missing, so the user is asked; No
    // writes nothing and leaves the cell marked with its note in the view.
    presenter_->push(mrNo);
    QTest::mouseClick(const_cast<QPushButton*>(save), Qt::LeftButton);
    EXPECT_EQ(presenter_->shownIds(), Ids({"0015"}));
    EXPECT_FALSE(fs::exists(tree_->dataFolder() / "TK_DKT.xml"));
    const QModelIndex taxCode = table->model()->index(8, col("K") - 1);
    EXPECT_FALSE(taxCode.data(Qt::ToolTipRole).toString().isEmpty());
    EXPECT_TRUE(taxCode.data(SpreadTableModel::HasNoteRole).toBool());
    EXPECT_EQ(table->currentIndex(), taxCode);

    presenter_->push(mrYes);
    QTest::keyClick(table, Qt::Key_G, Qt::AltModifier);
    // A mnemonic presses the button as a short animated click.
    QTest::qWaitFor([&] { return presenter_->shown().size() == 3; }, 2000);
    EXPECT_EQ(presenter_->shownIds(), Ids({"0015", "0015", "0002"}));
    EXPECT_NE(readFile(tree_->dataFolder() / "TK_DKT.xml").find("Nguyen Van An"), std::string::npos);

    // Everything is saved: the close box closes without a question.
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(controller.unloaded());
    EXPECT_EQ(presenter_->shown().size(), 3u);
}

// The window keeps a recovery copy of what was typed when it loses the focus and
// at each tick of its timer; nothing before the start-up offer, nothing unchanged.
TEST_F(MainFormTest, LosingTheFocusOrATimerTickKeepsARecoveryCopy) {
    engine::MainController controller;
    mainForm window(controller);
    openWindow(controller, window);
    if (HasFatalFailure()) return;
    AutosaveDriver driver(controller, window, 200);
    SpreadTable* table = window.spreadView()->currentTable();
    ASSERT_NE(table, nullptr);
    const fs::path copy = tree_->dataFolder() / ".zevo-recovery" / "manifest.txt";

    typeInto(table, "K", 7, QStringLiteral("Cong ty A"));
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window, &deactivate);
    EXPECT_FALSE(fs::exists(copy)) << "a copy left by a crash is offered first";

    controller.offerRecovery();
    QApplication::sendEvent(&window, &deactivate);
    EXPECT_EQ(driver.written(), 1);
    ASSERT_TRUE(fs::exists(copy));
    QTest::qWait(500);
    EXPECT_EQ(driver.written(), 1) << "unchanged: not written again";

    typeInto(table, "K", 38, QStringLiteral("Nguyen Van An"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return driver.written() == 2; }, 3000)) << "the timer writes the change";
    EXPECT_NE(readFile(tree_->dataFolder() / ".zevo-recovery" / "sheet1.xml").find("Nguyen Van An"),
              std::string::npos);

    presenter_->push(mrNo);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(fs::exists(copy.parent_path())) << "a clean exit removes the copy";
}

TEST_F(MainFormTest, ProblemsPanelShowsTheFailedChecksAndAClickGoesToTheCell) {
    engine::MainController controller;
    mainForm window(controller);
    openWindow(controller, window);
    if (HasFatalFailure()) return;
    ProblemsPanel* panel = window.problemsPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible()) << "a fresh declaration has nothing to fix";
    SpreadTable* table = window.spreadView()->currentTable();
    ASSERT_NE(table, nullptr);
    typeInto(table, "K", 38, QStringLiteral("Nguyen Van An"));

    presenter_->push(mrNo);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("cmdSave")), Qt::LeftButton);
    ASSERT_TRUE(panel->isVisible());
    const auto& problems = controller.problems().problems();
    ASSERT_GE(problems.size(), 2u);
    EXPECT_EQ(panel->entryCount(), static_cast<int>(problems.size()));
    EXPECT_TRUE(panel->summary()->text().contains(QString::number(controller.problems().errorCount())));
    // The panel stands beside the grid, not over it.
    EXPECT_LE(window.spreadView()->geometry().right(), panel->geometry().left());

    // A click on an entry of the list row goes to its cell in the view.
    int entry = -1;
    for (std::size_t i = 0; i < problems.size(); ++i)
        if (problems[i].row == 38) entry = static_cast<int>(i);
    ASSERT_GE(entry, 0);
    const engine::Problem wanted = problems[static_cast<std::size_t>(entry)];
    QTableView* list = panel->table();
    table->setCurrentIndex(table->model()->index(6, col("K") - 1));
    const QModelIndex item = list->model()->index(entry, 2);
    EXPECT_EQ(item.data().toString(), QString::fromStdString(wanted.cell));
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    SpreadTable* shown = window.spreadView()->currentTable();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->sheet(), wanted.sheet);
    EXPECT_EQ(shown->currentIndex(), shown->model()->index(wanted.row - 1, wanted.col - 1));
    EXPECT_TRUE(shown->hasFocus());
    EXPECT_FALSE(window.statusLabel()->text().isEmpty());

    // Enter on an entry goes there too.
    const QModelIndex firstItem = list->model()->index(0, 0);
    list->setCurrentIndex(firstItem);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(shown->currentIndex(), shown->model()->index(problems[0].row - 1, problems[0].col - 1));

    // Typing the address of the marked row: a moment later the checks run again and
    // the address's entry leaves the list.
    auto listed = [&](const std::string& cell) {
        for (const engine::Problem& p : controller.problems().problems())
            if (p.sheet == 1 && p.cell == cell) return true;
        return false;
    };
    ASSERT_TRUE(listed("AI38"));
    typeInto(table, "Z", 38, QStringLiteral("12 Pho Hue"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !listed("AI38"); }, 3000));
    EXPECT_TRUE(listed("Q38")) << "what is not fixed stays";
    EXPECT_EQ(panel->entryCount(), static_cast<int>(controller.problems().problems().size()));

    // Ctrl+Z takes the address back, then the name.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(stored(0, "Z_38"), "");
    EXPECT_EQ(stored(0, "AI_38"), "") << "the copy of the address goes with it";
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(stored(0, "K_38"), "");
    EXPECT_EQ(table->model()->index(37, col("K") - 1).data().toString(), QString());
    QTest::keyClick(table, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(stored(0, "K_38"), "Nguyen Van An");
}

}  // namespace
}  // namespace zevo::ui::test

// Review screenshots of data entry, taken the way a user works: keys and mouse
// moves go through Qt's event delivery to the focused widget. Run it under Xvfb
// (xcb), so that popups and tooltips are on the captured screen:
//
//   xvfb-run -s "-screen 0 1366x768x24" zevo_dataentry_shots <dist> <rules folder> <out> <prefix>
//
// It writes <prefix>-window.png (as the window opens), <prefix>-date-tab.png ("1/2/1985"
// typed into a birth date and Tab pressed), <prefix>-note.png (a marked tax code with
// its note) and <prefix>-pick-nghe.png ("nghe" typed into a province cell).
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <string>

#include "SpreadView.h"
#include "ToolWindow.h"
#include "mainForm.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/ColumnLetters.h"

namespace {

using zevo::grid::columnNumber;

bool shoot(const std::filesystem::path& file) {
    QTest::qWait(400);
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    const bool ok = screen.save(QString::fromStdString(file.string()));
    std::printf("%s %s\n", ok ? "wrote" : "could not write", file.c_str());
    return ok;
}

QWidget* focused(QWidget* fallback) {
    QWidget* w = QApplication::focusWidget();
    return w ? w : fallback;
}

// Puts the cursor on a cell and types as a user does; the first key opens the editor.
void typeAt(zevo::ui::SpreadTable* table, const char* column, int row, const QString& text) {
    const QModelIndex at = table->model()->index(row - 1, columnNumber(column) - 1);
    table->setFocus();
    table->setCurrentIndex(at);
    table->scrollTo(at, QAbstractItemView::PositionAtCenter);
    QTest::qWait(50);
    for (QChar c : text) QTest::keyClick(focused(table), c.toLatin1());
}

void key(zevo::ui::SpreadTable* table, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(focused(table), k, m);
    QTest::qWait(50);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s <dist folder> <rules library folder> <output folder> <prefix>\n",
                     argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    const std::filesystem::path out = argv[3];
    const std::string prefix = argv[4];
    std::filesystem::create_directories(out);
    zevo::ui::tools::ToolWindow tool(argv[1], argv[2], "zevo-dataentry-shots");
    if (!tool.start()) return 1;
    auto& window = tool.window;
    auto& presenter = tool.presenter;
    // As the program shows its window.
    window.show();
    window.focusGrid();
    window.activateWindow();
    QTest::qWait(300);
    bool ok = shoot(out / (prefix + "-window.png"));
    if (argc > 5 && std::string(argv[5]) == "--window-only") return ok ? 0 : 1;

    zevo::ui::SpreadTable* table = window.spreadView()->currentTable();
    typeAt(table, "K", 38, QStringLiteral("Nguyen Van An"));
    key(table, Qt::Key_Tab);
    typeAt(table, "N", 38, QStringLiteral("1/2/1985"));
    key(table, Qt::Key_Tab);
    ok = shoot(out / (prefix + "-date-tab.png")) && ok;
    key(table, Qt::Key_Escape);

    // A tax code with a wrong check digit, then Save (answered No): the check marks it.
    typeAt(table, "K", 9, QStringLiteral("0100109107"));
    key(table, Qt::Key_Return);
    presenter->push(zevo::mrNo);
    window.findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
    QTest::qWait(100);
    const QModelIndex taxCode = table->model()->index(8, columnNumber("K") - 1);
    table->scrollTo(taxCode);
    QTest::qWait(100);
    QTest::mouseMove(table->viewport(), table->visualRect(taxCode).center());
    QTest::qWait(1200);
    key(table, Qt::Key_F2, Qt::ShiftModifier);
    ok = shoot(out / (prefix + "-note.png")) && ok;

    typeAt(table, "AB", 38, QStringLiteral("nghe"));
    ok = shoot(out / (prefix + "-pick-nghe.png")) && ok;
    key(table, Qt::Key_Escape);
    key(table, Qt::Key_Escape);
    return ok ? 0 : 1;
}

// Types 50 individuals into the declaration through the grid view, as a user at
// the keyboard: every key is a key event sent to the focused widget. For each
// individual: name, birth date, sex, nationality, identity number and a full
// permanent address (house, province, district, ward; nationality and country
// start as Viet Nam once a name is typed); F5 adds the next
// row. Prints keystrokes per individual, seconds, and how many individuals were
// stored exactly as meant.
//
//   QT_QPA_PLATFORM=offscreen bench_dataentry [individuals]
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "SpreadView.h"
#include "ToolWindow.h"
#include "mainForm.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/clsVariables.h"
#include "zevo/documents/Attributes.h"
#include "zevo/engine/MainController.h"
#include "zevo/grid/ColumnLetters.h"

namespace {

using zevo::grid::columnNumber;

long keystrokes = 0;
long characters = 0;  // of the data itself; the rest moves between fields
long clicks = 0;

QWidget* focused(QWidget* fallback) {
    QWidget* w = QApplication::focusWidget();
    return w ? w : fallback;
}

void press(QWidget* fallback, Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(focused(fallback), key, m);
    ++keystrokes;
    QApplication::processEvents();
}

void type(QWidget* fallback, const QString& text) {
    for (QChar c : text) {
        QTest::keyClick(focused(fallback), c.toLatin1());
        ++keystrokes;
        ++characters;
    }
    QApplication::processEvents();
}

// A field: its text, then Enter to the next field.
void field(QWidget* table, const QString& text) {
    type(table, text);
    press(table, Qt::Key_Return);
}

// Tabs over fields until the view's current column is `column`.
void skipTo(zevo::ui::SpreadTable* table, const char* column) {
    for (int guard = 0; guard < 40 && table->currentIndex().column() != columnNumber(column) - 1; ++guard)
        press(table, Qt::Key_Tab);
}

std::string stored(const std::string& id) {
    return zevo::documents::GetAttributeValue(zevo::clsVariables().Data(0)->elementById(id), "Value");
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const int count = argc > 1 ? std::atoi(argv[1]) : 50;
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    zevo::ui::tools::ToolWindow tool(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR, "zevo-bench-dataentry");
    if (!tool.start()) return 1;
    auto& window = tool.window;
    window.resize(1366, 768);
    window.show();
    window.focusGrid();
    QApplication::processEvents();
    zevo::ui::SpreadTable* table = window.spreadView()->currentTable();
    // The user clicks the first name cell once.
    table->setFocus();
    table->setCurrentIndex(table->model()->index(37, columnNumber("K") - 1));

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        const int row = 38 + i;
        skipTo(table, "K");
        field(table, QStringLiteral("Nguyen Van %1").arg(i + 1));
        field(table, QStringLiteral("0102%1").arg(1960 + i % 40));    // birth date, digits only
        field(table, QStringLiteral("na"));                          // sex: Nam
        press(table, Qt::Key_Return);                                // nationality: Việt Nam already
        field(table, QStringLiteral("0010850%1").arg(10000 + i));     // 12-digit identity number
        skipTo(table, "Z");
        field(table, QStringLiteral("%1 Le Loi").arg(i + 1));         // house
        field(table, QStringLiteral("nghe"));                        // Tỉnh Nghệ An
        field(table, QStringLiteral("pho vinh"));                    // Thành phố Vinh
        field(table, QStringLiteral("le loi"));                      // Phường Lê Lợi
        // The country of the permanent address became Viet Nam with the name.
        if (i + 1 < count) {
            // Enter on the ward lands on the country; a click counts when it does not.
            if (table->currentIndex().row() != row - 1 ||
                table->currentIndex().column() != columnNumber("AH") - 1) {
                ++clicks;
                table->setCurrentIndex(table->model()->index(row - 1, columnNumber("AH") - 1));
            }
            press(table, Qt::Key_F5);                                // the next individual's row
        }
    }
    const double seconds = clock.elapsed() / 1000.0;

    int exact = 0;
    for (int i = 0; i < count; ++i) {
        const std::string r = std::to_string(38 + i);
        const bool ok = stored("K_" + r) == "Nguyen Van " + std::to_string(i + 1) &&
                        stored("N_" + r) == "01/02/" + std::to_string(1960 + i % 40) &&
                        stored("Q_" + r) == "Nam" && stored("S_" + r) == "Việt Nam" &&
                        stored("T_" + r) == "0010850" + std::to_string(10000 + i) &&
                        stored("AB_" + r) == "Tỉnh Nghệ An" && stored("AD_" + r) == "Thành phố Vinh" &&
                        stored("AF_" + r) == "Phường Lê Lợi" && stored("AH_" + r) == "Việt Nam";
        if (ok) ++exact;
        else if (exact == i)
            std::printf("first difference in row %s: K=%s N=%s Q=%s S=%s T=%s AB=%s AD=%s AF=%s AH=%s\n",
                        r.c_str(), stored("K_" + r).c_str(), stored("N_" + r).c_str(),
                        stored("Q_" + r).c_str(), stored("S_" + r).c_str(), stored("T_" + r).c_str(),
                        stored("AB_" + r).c_str(), stored("AD_" + r).c_str(), stored("AF_" + r).c_str(),
                        stored("AH_" + r).c_str());
    }
    std::printf("individuals: %d\nstored exactly: %d\nkeystrokes: %ld\nkeystrokes per individual: %.1f\n"
                "  of which data characters: %.1f, moves between fields: %.1f\n"
                "mouse clicks per individual: %.1f\nseconds: %.2f\nseconds per individual: %.3f\n",
                count, exact, keystrokes, double(keystrokes) / count, double(characters) / count,
                double(keystrokes - characters) / count, double(clicks) / count, seconds,
                seconds / count);
    return exact == count ? 0 : 1;
}

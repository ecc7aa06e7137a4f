// Workbook file and printing figures: writes a 2,000 x 60 cell workbook with 200
// formulas, reads it back and lays out and paints its pages. Prints seconds and
// the peak resident memory.
#include <sys/resource.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "zevo/grid/PagePainter.h"
#include "zevo/grid/XlsxReader.h"
#include "zevo/grid/XlsxWriter.h"

using namespace zevo::grid;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

WorkbookData makeBook(int rows, int cols, int formulas) {
    WorkbookData book;
    StyleData bordered;
    bordered.border = true;
    StyleData money = bordered;
    money.numberFormat = "#,##0";
    book.styles = {StyleData{}, bordered, money};
    SheetData s;
    s.name = "Data";
    s.maxCol = cols;
    s.maxRow = rows;
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= cols; ++c) {
            CellData cell;
            cell.col = c;
            cell.row = r;
            if (c % 2) {
                cell.type = CellValueType::String;
                cell.text = "Nguyễn Văn " + std::to_string(r * 100 + c);
                cell.style = 1;
            } else {
                cell.type = CellValueType::Number;
                cell.number = r * 1000.0 + c;
                cell.style = 2;
            }
            if (r <= formulas && c == cols) {
                cell.type = CellValueType::Number;
                cell.formula = "SUM(B" + std::to_string(r) + ":D" + std::to_string(r) + ")";
            }
            s.cells.push_back(std::move(cell));
        }
    }
    book.sheets.push_back(std::move(s));
    return book;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const auto path = (std::filesystem::temp_directory_path() / "zevo-bench.xlsx").string();
    const WorkbookData book = makeBook(2000, 60, 200);

    auto t = std::chrono::steady_clock::now();
    writeXlsx(book, path);
    std::printf("write 2000x60 cells: %.3f s, %ju bytes\n", seconds(t), static_cast<std::uintmax_t>(std::filesystem::file_size(path)));

    t = std::chrono::steady_clock::now();
    const WorkbookData back = readXlsx(path);
    std::printf("read  2000x60 cells: %.3f s, %zu cells\n", seconds(t), back.sheets.at(0).cells.size());

    PagePainter painter(back.sheets[0], back.styles);
    const QRectF page(0, 0, 794, 1123);   // A4 at 96 dpi
    t = std::chrono::steady_clock::now();
    const int pages = painter.pageCount(page);
    std::printf("page count: %d pages in %.4f s\n", pages, seconds(t));

    QImage image(794, 1123, QImage::Format_RGB32);
    t = std::chrono::steady_clock::now();
    for (int p = 1; p <= pages; ++p) {
        image.fill(Qt::white);
        QPainter qp(&image);
        painter.paintPage(qp, p, page);
    }
    std::printf("paint all pages: %.3f s (%.4f s per page)\n", seconds(t), pages ? seconds(t) / pages : 0.0);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory: %.1f MiB\n", usage.ru_maxrss / 1024.0);
    std::filesystem::remove(path);
    return 0;
}

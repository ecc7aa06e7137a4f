// Printed pages of a sheet: page breaking, fit to width, spans, fills and real
// text (with Vietnamese letters) in a PDF.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "zevo/grid/PagePainter.h"

namespace zevo::grid {
namespace {

class PagePainterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QGuiApplication::instance()) {
            static int argc = 1;
            static char name[] = "paint_tests";
            static char* argv[] = {name, nullptr};
            app_ = new QGuiApplication(argc, argv);
        }
    }
    static QGuiApplication* app_;
};
QGuiApplication* PagePainterTest::app_ = nullptr;

CellData text(int col, int row, const std::string& v, int style = 0) {
    CellData c;
    c.col = col;
    c.row = row;
    c.type = CellValueType::String;
    c.text = v;
    c.style = style;
    return c;
}

void sortCells(SheetData& s) {
    std::sort(s.cells.begin(), s.cells.end(), [](const CellData& a, const CellData& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    });
}

// 30 rows of 50 pt, three 200 px columns, a break after row 5: on A4 with the
// default margins that is rows 1-5, 6-19 and 20-30.
SheetData threePageSheet() {
    SheetData s;
    s.name = "Report";
    s.maxCol = 3;
    s.maxRow = 30;
    s.defaultRowHeightPt = 50;
    s.colWidthsPx = {{1, 200}, {2, 200}, {3, 200}};
    s.rowBreaks = {5};
    s.rowHeightsPt = {{12, 0}};
    s.cells.push_back(text(1, 3, "TỜ KHAI ĐĂNG KÝ THUẾ"));
    s.cells.push_back(text(1, 8, "Mã số thuế"));
    s.cells.push_back(text(1, 12, "Dòng ẩn đi"));
    s.cells.push_back(text(1, 25, "Chữ ký người khai"));
    CellData amount;
    amount.col = 3;
    amount.row = 9;
    amount.type = CellValueType::Number;
    amount.number = 1234567;
    amount.style = 1;
    s.cells.push_back(amount);
    sortCells(s);
    return s;
}

std::vector<StyleData> styles() {
    StyleData plain;
    StyleData money;
    money.numberFormat = "#,##0";
    money.font.size = 10;
    return {plain, money};
}

std::string run(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return out;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe.get())) > 0) out.append(buf, n);
    return out;
}

// Paints every page of `sheet` into a PDF and gives the path.
std::string paintPdf(const QTemporaryDir& dir, const SheetData& sheet, const std::vector<StyleData>& st, int resolution,
                     int* pages) {
    const QString path = dir.filePath("sheet.pdf");
    QPdfWriter writer(path);
    writer.setResolution(resolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    PagePainter painter(sheet, st);
    painter.setResolution(writer.logicalDpiX(), writer.logicalDpiY());
    const QRectF pageRect(0, 0, writer.width(), writer.height());
    *pages = painter.pageCount(pageRect);
    QPainter p(&writer);
    for (int page = 1; page <= *pages; ++page) {
        if (page > 1) writer.newPage();
        painter.paintPage(p, page, pageRect);
    }
    p.end();
    return path.toStdString();
}

std::string pageText(const std::string& pdf, int page) {
    return run("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf + "' -");
}

TEST_F(PagePainterTest, ThreePagesInAPdfWithTheirTextsOnTheRightPages) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int pages = 0;
    const std::string pdf = paintPdf(dir, threePageSheet(), styles(), 1200, &pages);
    ASSERT_EQ(pages, 3);
    const std::string info = run("pdfinfo '" + pdf + "'");
    const auto at = info.find("Pages:");
    ASSERT_NE(at, std::string::npos) << info;
    EXPECT_EQ(std::atoi(info.c_str() + at + 6), 3) << info;

    const std::string p1 = pageText(pdf, 1), p2 = pageText(pdf, 2), p3 = pageText(pdf, 3);
    EXPECT_NE(p1.find("TỜ KHAI ĐĂNG KÝ THUẾ"), std::string::npos) << p1;
    EXPECT_NE(p2.find("Mã số thuế"), std::string::npos) << p2;
    EXPECT_NE(p2.find("1,234,567"), std::string::npos) << p2;
    EXPECT_NE(p3.find("Chữ ký người khai"), std::string::npos) << p3;
    EXPECT_EQ(p1.find("Mã số thuế"), std::string::npos);
    EXPECT_EQ(p3.find("Mã số thuế"), std::string::npos);
    for (const auto& t : {p1, p2, p3}) EXPECT_EQ(t.find("Dòng ẩn đi"), std::string::npos);
}

TEST_F(PagePainterTest, FontsKeepTheirPointSizeAtPrinterResolution) {
    QTemporaryDir dir;
    int pages = 0;
    const std::string pdf = paintPdf(dir, threePageSheet(), styles(), 1200, &pages);
    // Word boxes are in points: a 10 pt font gives words about 10 pt high.
    const std::string boxes = run("pdftotext -bbox -f 2 -l 2 '" + pdf + "' -");
    const auto word = boxes.find(">Mã<");
    ASSERT_NE(word, std::string::npos) << boxes;
    const auto line = boxes.rfind("<word", word);
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    ASSERT_EQ(std::sscanf(boxes.c_str() + line, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &xMin, &yMin, &xMax, &yMax), 4);
    EXPECT_GT(yMax - yMin, 6);
    EXPECT_LT(yMax - yMin, 16);
    // Left margin of 0.7 inch plus the cell padding.
    EXPECT_NEAR(xMin, 0.7 * 72, 30);
}

TEST_F(PagePainterTest, WideSheetIsScaledToThePageWidth) {
    SheetData s;
    s.maxCol = 10;
    s.maxRow = 3;
    for (int c = 1; c <= 10; ++c) s.colWidthsPx[c] = 300;
    s.cells.push_back(text(1, 1, "Cột đầu"));
    s.cells.push_back(text(10, 3, "Cột cuối"));
    QTemporaryDir dir;
    int pages = 0;
    const std::string pdf = paintPdf(dir, s, styles(), 300, &pages);
    ASSERT_EQ(pages, 1);
    const std::string t = pageText(pdf, 1);
    EXPECT_NE(t.find("Cột đầu"), std::string::npos) << t;
    EXPECT_NE(t.find("Cột cuối"), std::string::npos) << t;
}

// Page breaking without drawing.
TEST(PagePainterLayout, PageCounts) {
    const std::vector<StyleData> st{StyleData{}};
    const QRectF page(0, 0, 96 * 8, 96 * 10);   // 8 x 10 inches at 96 dpi
    SheetData s;
    s.maxCol = 2;
    s.maxRow = 10;
    s.defaultRowHeightPt = 72;   // one inch per row
    PagePainter painter(s, st);
    painter.setUseMargins(false);
    EXPECT_EQ(painter.pageCount(page), 1);   // exactly fills the page

    s.maxRow = 11;
    EXPECT_EQ(painter.pageCount(page), 2);   // the eleventh row goes over

    s.rowBreaks = {11};   // a break after the last row adds no page
    EXPECT_EQ(painter.pageCount(page), 2);

    s.rowBreaks = {2, 2, 3};
    EXPECT_EQ(painter.pageCount(page), 3);   // rows 1-2, 3, 4-11 (eight fit)

    s.rowBreaks = {5};
    s.maxRow = 8;
    s.rowHeightsPt = {{6, 0}, {7, 0}, {8, 0}};   // only hidden rows after the break
    EXPECT_EQ(painter.pageCount(page), 1);

    s.rowHeightsPt = {{3, 72 * 30}};   // a row taller than a page stands alone
    s.rowBreaks.clear();
    EXPECT_EQ(painter.pageCount(page), 3);

    s.maxRow = 0;
    EXPECT_EQ(painter.pageCount(page), 0);
    s.maxRow = 5;
    s.maxCol = 0;
    EXPECT_EQ(painter.pageCount(page), 0);

    // The sheet's margins take their share of the page: 10 in - 2 in leaves 8 rows.
    SheetData m;
    m.maxCol = 1;
    m.maxRow = 9;
    m.defaultRowHeightPt = 72;
    m.marginTop = m.marginBottom = 1;
    PagePainter withMargins(m, st);
    EXPECT_EQ(withMargins.pageCount(page), 2);
    m.marginTop = m.marginBottom = 6;   // margins that leave nothing are ignored
    EXPECT_EQ(withMargins.pageCount(page), 1);
}

TEST_F(PagePainterTest, FillsBordersAndMergedBlocks) {
    SheetData s;
    s.maxCol = 4;
    s.maxRow = 4;
    s.colWidthsPx = {{1, 50}, {2, 50}, {3, 50}, {4, 50}};
    s.rowHeightsPt = {{1, 30}, {2, 30}, {3, 30}, {4, 30}};   // 40 px at 96 dpi
    s.merges = {{1, 1, 3, 2}};   // A1:C2
    s.cells.push_back(text(1, 1, "", 1));
    s.cells.push_back(text(2, 4, "", 2));   // B4 red, no border
    StyleData plain;
    StyleData filled;
    filled.fill = rgb(255, 192, 192);
    filled.border = true;
    StyleData red;
    red.fill = rgb(255, 0, 0);
    const std::vector<StyleData> st{plain, filled, red};

    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    PagePainter painter(s, st);
    painter.setUseMargins(false);
    {
        QPainter p(&image);
        painter.paintPage(p, 1, QRectF(0, 0, 400, 400));
    }
    const QColor pink(255, 192, 192);
    EXPECT_EQ(image.pixelColor(75, 40), pink);    // inside the block, on the inner row line
    EXPECT_EQ(image.pixelColor(50, 20), pink);    // on the inner column line
    EXPECT_EQ(image.pixelColor(100, 60), pink);
    EXPECT_EQ(image.pixelColor(0, 40), QColor(Qt::black));      // the block's own border
    EXPECT_EQ(image.pixelColor(175, 20), QColor(Qt::white));    // D1 is outside the block
    EXPECT_EQ(image.pixelColor(75, 140), QColor(255, 0, 0));    // B4
    EXPECT_EQ(image.pixelColor(25, 140), QColor(Qt::white));    // A4
    EXPECT_EQ(image.pixelColor(75, 170), QColor(Qt::white));    // below the sheet

    // With the block's first row hidden, the block still shows in its second row.
    s.rowHeightsPt[1] = 0;
    image.fill(Qt::white);
    {
        QPainter p(&image);
        painter.paintPage(p, 1, QRectF(0, 0, 400, 400));
    }
    EXPECT_EQ(image.pixelColor(75, 20), pink);
    EXPECT_EQ(image.pixelColor(75, 60), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(75, 100), QColor(255, 0, 0));    // B4 moved up a row
}

}  // namespace
}  // namespace zevo::grid

// Writing workbook data and reading it back must give the same data: this is how
// templates, report workbooks and Excel exports survive a save.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "TestFiles.h"
#include "zevo/RuntimeError.h"
#include "zevo/grid/XlsxReader.h"
#include "zevo/grid/XlsxWriter.h"

namespace zevo::grid {
namespace {

using test::TempFolder;

CellData cell(int col, int row, int style = 0) {
    CellData c;
    c.col = col;
    c.row = row;
    c.style = style;
    return c;
}

CellData number(int col, int row, double v, int style = 0) {
    CellData c = cell(col, row, style);
    c.type = CellValueType::Number;
    c.number = v;
    return c;
}

CellData text(int col, int row, std::string v, int style = 0) {
    CellData c = cell(col, row, style);
    c.type = CellValueType::String;
    c.text = std::move(v);
    return c;
}

// A workbook that uses every property the files carry.
WorkbookData everything() {
    WorkbookData book;
    StyleData plain;   // index 0
    StyleData header;
    header.fill = rgb(255, 192, 192);
    header.font = {"Times New Roman", 12, true, true, true, rgb(200, 0, 0)};
    header.hAlign = HAlign::Center;
    header.vAlign = VAlign::Center;
    header.wrap = true;
    header.border = true;
    StyleData amount;
    amount.locked = false;
    amount.numberFormat = "#,##0";
    amount.hAlign = HAlign::Right;
    amount.border = true;
    StyleData decimals;
    decimals.numberFormat = "0.00";
    decimals.fill = rgb(255, 252, 193);
    StyleData date;
    date.numberFormat = "dd/mm/yyyy";
    date.locked = false;
    date.vAlign = VAlign::Top;
    StyleData textFormat;
    textFormat.numberFormat = "@";
    textFormat.hAlign = HAlign::Left;
    StyleData black;
    black.fill = rgb(0, 0, 0);
    black.font.colour = kWhite;
    StyleData percent;
    percent.numberFormat = "0%";
    percent.font.size = 8.5;
    book.styles = {plain, header, amount, decimals, date, textFormat, black, percent};

    SheetData s1;
    s1.name = "01_DK";
    s1.protectedSheet = true;
    s1.marginLeft = 0.125;
    s1.marginRight = 0.3;
    s1.marginTop = 0.75;
    s1.marginBottom = 0.5;
    s1.colWidthsPx = {{1, 100}, {2, 37}, {3, 0}, {4, 8}, {5, 250}};
    s1.rowHeightsPt = {{1, 30}, {2, 0}, {4, 12.75}, {9, 45.5}};
    s1.colStyles = {{6, 2}};
    s1.rowBreaks = {3, 10};
    s1.frozenRows = 2;
    s1.frozenCols = 1;
    s1.merges = {{1, 1, 4, 1}, {2, 5, 3, 7}, {7, 20, 8, 21}};   // the last one has no cells at all
    s1.cells.push_back(text(1, 1, "TỜ KHAI ĐĂNG KÝ THUẾ", 1));
    s1.cells.back().comment = "Ghi chú: Mã số thuế";
    s1.cells.push_back(number(5, 1, 1234567, 2));
    s1.cells.push_back(number(1, 2, -0.5, 3));
    s1.cells.push_back(number(2, 2, 45292, 4));
    s1.cells.push_back(text(3, 2, "0101234567", 5));
    {
        CellData b = cell(4, 2);
        b.type = CellValueType::Boolean;
        b.number = 1;
        s1.cells.push_back(b);
    }
    s1.cells.push_back(number(5, 2, 0.25, 7));
    {
        CellData f = number(1, 3, 1234567.5, 2);
        f.formula = "E1+A2";
        s1.cells.push_back(f);
        CellData g = text(2, 3, "ab", 0);
        g.formula = "IF(LEN(C2)=10,\"ab\",\"'x\")";
        s1.cells.push_back(g);
        CellData h = cell(3, 3, 6);
        h.comment = "Ô trống có ghi chú";
        s1.cells.push_back(h);
        CellData crossSheet = number(4, 3, 7, 0);
        crossSheet.formula = "'Sheet two'!A1+1";
        s1.cells.push_back(crossSheet);
    }
    s1.cells.push_back(text(2, 5, "merged anchor", 1));
    s1.cells.push_back(cell(3, 6, 1));   // a styled cell inside a merge keeps its style
    s1.cells.push_back(cell(6, 12, 3));   // styled empty cell
    s1.maxCol = 8;
    s1.maxRow = 21;

    SheetData s2;
    s2.name = "Sheet two";
    s2.hidden = true;
    s2.cells.push_back(number(1, 1, 6, 0));
    s2.maxCol = 1;
    s2.maxRow = 1;

    SheetData s3;
    s3.name = "Báo cáo";
    s3.landscape = true;
    s3.paperSize = 8;     // A3, one page wide, as long as it takes
    s3.fitToWidth = 1;
    s3.defaultRowHeightPt = 12.75;
    s3.rowHeightsPt = {{2, 15}};
    s3.cells.push_back(text(2, 2, "Chữ ký, ghi rõ họ tên", 0));
    s3.maxCol = 2;
    s3.maxRow = 2;

    book.sheets = {s1, s2, s3};
    return book;
}

const StyleData& styleOf(const WorkbookData& book, int index) {
    return book.styles.at(static_cast<std::size_t>(index));
}

void expectSameSheet(const WorkbookData& wantBook, const SheetData& want, const WorkbookData& gotBook, const SheetData& got) {
    SCOPED_TRACE("sheet " + want.name);
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.hidden, want.hidden);
    EXPECT_EQ(got.protectedSheet, want.protectedSheet);
    EXPECT_EQ(got.landscape, want.landscape);
    EXPECT_EQ(got.paperSize, want.paperSize);
    EXPECT_EQ(got.fitToWidth, want.fitToWidth);
    EXPECT_EQ(got.fitToHeight, want.fitToHeight);
    EXPECT_DOUBLE_EQ(got.marginLeft, want.marginLeft);
    EXPECT_DOUBLE_EQ(got.marginRight, want.marginRight);
    EXPECT_DOUBLE_EQ(got.marginTop, want.marginTop);
    EXPECT_DOUBLE_EQ(got.marginBottom, want.marginBottom);
    EXPECT_EQ(got.maxCol, want.maxCol);
    EXPECT_EQ(got.maxRow, want.maxRow);
    EXPECT_DOUBLE_EQ(got.defaultRowHeightPt, want.defaultRowHeightPt);
    EXPECT_EQ(got.colWidthsPx, want.colWidthsPx);
    EXPECT_EQ(got.rowHeightsPt, want.rowHeightsPt);
    EXPECT_EQ(got.rowBreaks, want.rowBreaks);
    EXPECT_EQ(got.frozenRows, want.frozenRows);
    EXPECT_EQ(got.frozenCols, want.frozenCols);
    EXPECT_EQ(got.merges, want.merges);
    ASSERT_EQ(got.colStyles.size(), want.colStyles.size());
    for (const auto& [col, style] : want.colStyles) {
        ASSERT_TRUE(got.colStyles.count(col)) << "column " << col;
        EXPECT_EQ(styleOf(gotBook, got.colStyles.at(col)), styleOf(wantBook, style)) << "column " << col;
    }
    ASSERT_EQ(got.cells.size(), want.cells.size());
    for (std::size_t i = 0; i < want.cells.size(); ++i) {
        const CellData& w = want.cells[i];
        const CellData& g = got.cells[i];
        SCOPED_TRACE("cell R" + std::to_string(w.row) + "C" + std::to_string(w.col));
        EXPECT_EQ(g.col, w.col);
        EXPECT_EQ(g.row, w.row);
        EXPECT_EQ(g.type, w.type);
        EXPECT_EQ(g.number, w.number);
        EXPECT_EQ(g.text, w.text);
        EXPECT_EQ(g.formula, w.formula);
        EXPECT_EQ(g.comment, w.comment);
        EXPECT_EQ(styleOf(gotBook, g.style), styleOf(wantBook, w.style));
    }
}

TEST(XlsxRoundTrip, EveryPropertySurvivesWriteAndRead) {
    TempFolder tmp;
    const WorkbookData book = everything();
    writeXlsx(book, tmp.file("book.xlsx"));
    const WorkbookData back = readXlsx(tmp.file("book.xlsx"));
    ASSERT_EQ(back.sheets.size(), book.sheets.size());
    for (std::size_t i = 0; i < book.sheets.size(); ++i) expectSameSheet(book, book.sheets[i], back, back.sheets[i]);

    // A second cycle changes nothing: widths and heights do not drift.
    writeXlsx(back, tmp.file("again.xlsx"));
    const WorkbookData third = readXlsx(tmp.file("again.xlsx"));
    ASSERT_EQ(third.sheets.size(), book.sheets.size());
    for (std::size_t i = 0; i < book.sheets.size(); ++i) expectSameSheet(book, book.sheets[i], third, third.sheets[i]);
}

TEST(XlsxRoundTrip, EveryWholePixelWidthComesBackExactly) {
    TempFolder tmp;
    WorkbookData book;
    SheetData s;
    s.name = "W";
    for (int px = 1; px <= 400; ++px) s.colWidthsPx[px] = px;
    s.colWidthsPx.erase(64);   // the default width is not stored
    book.sheets = {s};
    writeXlsx(book, tmp.file("w.xlsx"));
    EXPECT_EQ(readXlsx(tmp.file("w.xlsx")).sheets.at(0).colWidthsPx, s.colWidthsPx);
}

TEST(XlsxRoundTrip, OnlyHiddenSheetsStillGiveAVisibleSheet) {
    TempFolder tmp;
    WorkbookData book;
    SheetData a, b;
    a.name = "A";
    a.hidden = true;
    b.name = "B";
    b.hidden = true;
    book.sheets = {a, b};
    writeXlsx(book, tmp.file("h.xlsx"));
    const auto back = readXlsx(tmp.file("h.xlsx"));
    ASSERT_EQ(back.sheets.size(), 2u);
    EXPECT_FALSE(back.sheets[0].hidden);
    EXPECT_TRUE(back.sheets[1].hidden);
}

TEST(XlsxWriterFailures, FailedWriteKeepsTheEarlierFileAndLeavesNoTemporary) {
    TempFolder tmp;
    const std::string path = tmp.file("keep.xlsx");
    WorkbookData good = everything();
    writeXlsx(good, path);
    std::ifstream in(path, std::ios::binary);
    const std::string before((std::istreambuf_iterator<char>(in)), {});

    WorkbookData bad = good;
    bad.sheets[0].name = "bad/name";
    EXPECT_THROW(writeXlsx(bad, path), RuntimeError);
    WorkbookData duplicate = good;
    duplicate.sheets[1].name = duplicate.sheets[0].name;
    EXPECT_THROW(writeXlsx(duplicate, path), RuntimeError);
    EXPECT_THROW(writeXlsx(WorkbookData{}, path), RuntimeError);

    std::ifstream again(path, std::ios::binary);
    const std::string after((std::istreambuf_iterator<char>(again)), {});
    EXPECT_EQ(after, before);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tmp.path())) {
        ++files;
        EXPECT_EQ(entry.path().filename(), "keep.xlsx");
    }
    EXPECT_EQ(files, 1);
}

TEST(XlsxWriterFailures, ReplacedFileKeepsItsPermissions) {
    TempFolder tmp;
    const std::string path = tmp.file("perm.xlsx");
    writeXlsx(everything(), path);
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    writeXlsx(everything(), path);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(XlsxWriterFailures, NewWorkbookIsForItsOwnerAlone) {
    TempFolder tmp;
    const std::string path = tmp.file("new.xlsx");
    const mode_t oldMask = umask(022);
    writeXlsx(everything(), path);
    umask(oldMask);
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST(XlsxWriterFailures, MissingFolderIsPathNotFound) {
    TempFolder tmp;
    try {
        writeXlsx(everything(), tmp.file("no/such/folder/x.xlsx"));
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), xlsx::kErrPathNotFound);
    }
}

}  // namespace
}  // namespace zevo::grid

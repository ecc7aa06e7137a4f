// Individuals from a payroll export: the file read as an accountant's files come
// (titles above the header, diacritics or none, three date forms, BOMs), and the
// rows landing in the declaration as typing would leave them, through the engine
// and through the installed program's command line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QString>

#include <cstdlib>
#include <map>

#include "MainWindowTestSupport.h"
#include "zevo/engine/ListImport.h"
#include "zevo/testing/PayrollFile.h"

namespace zevo::engine::test {
namespace {

using documents::GetAttributeValue;

std::string mapped(const ColumnMapping& m, const char* key) {
    const int c = m[static_cast<std::size_t>(fieldIndex(key))];
    return c < 0 ? "-" : grid::columnLetters(c + 1);
}

TEST(ListSource, HeadersAreGuessedWithOrWithoutDiacriticsAndAddressesApart) {
    const ColumnMapping plain = guessMapping({"STT", "HO VA TEN", "ngay sinh", "GIOI TINH", "So CMND/CCCD",
                                              "Ngay cap", "Noi cap", "Ngày cấp hộ chiếu", "Tinh/TP", "QUAN / HUYEN",
                                              "Xã/Phường", "Tỉnh/Thành phố hiện tại", "Quận/Huyện", "Địa chỉ email",
                                              "Lương cơ bản"});
    EXPECT_EQ(mapped(plain, "name"), "B");
    EXPECT_EQ(mapped(plain, "birth"), "C");
    EXPECT_EQ(mapped(plain, "sex"), "D");
    EXPECT_EQ(mapped(plain, "idno"), "E");
    EXPECT_EQ(mapped(plain, "iddate"), "F");
    EXPECT_EQ(mapped(plain, "idplace"), "G");
    EXPECT_EQ(mapped(plain, "passportdate"), "H");
    EXPECT_EQ(mapped(plain, "province"), "I");
    EXPECT_EQ(mapped(plain, "district"), "J");
    EXPECT_EQ(mapped(plain, "ward"), "K");
    // Words naming the current address, or a second column of the same field.
    EXPECT_EQ(mapped(plain, "province2"), "L");
    EXPECT_EQ(mapped(plain, "district2"), "M");
    EXPECT_EQ(mapped(plain, "email"), "N") << "not the street, though it says \"địa chỉ\"";
    EXPECT_EQ(mapped(plain, "street"), "-");
    EXPECT_EQ(formatMapping(guessMapping({"Họ và tên", "Mã số thuế"})), "tin=B,name=A");

    // The header is found below the title rows.
    SourceTable table;
    table.rows = {{"BẢNG LƯƠNG"}, {}, {"STT", "Họ tên", "Ngày sinh", "Số CCCD"}, {"1", "An", "01/02/1985", "1"}};
    EXPECT_EQ(guessHeaderRow(table), 2);
    // Without a header every row is data: none may be skipped as one.
    table.rows = {{"1", "Nguyễn Văn An", "01/02/1985", "Quận 1"}, {"2", "Trần Thị Bình", "02/03/1986", "Quận 3"}};
    EXPECT_EQ(guessHeaderRow(table), -1);

    std::string error;
    EXPECT_EQ(formatMapping(*parseMapping("name=B, birth=c,idno=AA", error)), "name=B,birth=C,idno=AA");
    for (const char* bad : {"nom=B", "name=", "name=B,name=C", "name=1"}) {
        EXPECT_FALSE(parseMapping(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(ListSource, EncodingsAreToldByTheirByteOrderMark) {
    const std::string text = "Họ tên;Tỉnh\r\n\"Nguyễn; Văn \"\"An\"\"\";Hà Nội\r\n";
    std::string encoding;
    EXPECT_EQ(decodeText(text, encoding), text);
    EXPECT_EQ(encoding, "UTF-8");
    EXPECT_EQ(decodeText("\xEF\xBB\xBF" + text, encoding), text);
    EXPECT_EQ(encoding, "UTF-8");
    const QString q = QString::fromStdString(text);
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (QChar c : q) {
        le += static_cast<char>(c.unicode() & 0xFF), le += static_cast<char>(c.unicode() >> 8);
        be += static_cast<char>(c.unicode() >> 8), be += static_cast<char>(c.unicode() & 0xFF);
    }
    EXPECT_EQ(decodeText(le, encoding), text);
    EXPECT_EQ(encoding, "UTF-16LE");
    EXPECT_EQ(decodeText(be, encoding), text);
    EXPECT_EQ(encoding, "UTF-16BE");
    // Windows-1258 writes "ễ" as e-circumflex plus a combining tilde (DE): the table
    // composes it.
    const std::string cp1258 = "Nguy\xEA\xDEn;H\xE0 N\xF4\xF2i";
    EXPECT_EQ(QString::fromStdString(decodeText(cp1258, encoding)).normalized(QString::NormalizationForm_C).toStdString(),
              "Nguyễn;Hà Nội");
    EXPECT_EQ(encoding, "Windows-1258");

    const auto records = parseCsv(text);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1][0], "Nguyễn; Văn \"An\"");
    EXPECT_EQ(records[1][1], "Hà Nội");

    // Broken files give text, never a fault: an odd UTF-16 byte, a quote left open,
    // bytes Windows-1258 leaves undefined.
    EXPECT_EQ(decodeText(std::string("\xFF\xFEH\0a\0x", 7), encoding).substr(0, 2), "Ha");
    EXPECT_EQ(parseCsv("a,\"b\nc").size(), 1u);
    EXPECT_EQ(parseCsv("a,\"b\nc")[0][1], "b\nc");
    EXPECT_EQ(QString::fromStdString(decodeText("x\x81\x8Dy\xFF", encoding)).size(), 5) << "undefined bytes marked";
}

TEST(ListSource, DatesInTheFormsPayrollFilesUse) {
    EXPECT_EQ(readDate("1/2/1985").text, "01/02/1985");
    EXPECT_EQ(readDate("01-02-1985").text, "01/02/1985");
    EXPECT_EQ(readDate("1985-02-01").text, "01/02/1985");
    EXPECT_EQ(readDate("1985-02-01 00:00:00").text, "01/02/1985");
    EXPECT_EQ(readDate("31079").text, "01/02/1985");
    EXPECT_EQ(readDate("29/02/2012").text, "29/02/2012");
    for (const char* bad : {"31/02/1985", "29/02/2011", "1/2/85", "1985", "12/03/1890", "abc", "1/2/1985x", "2012-13-01",
                            "1e308", "-31079", "99999999999999999999", "", "//", "2012--01"})
        EXPECT_TRUE(readDate(bad).text.empty()) << bad;
    EXPECT_EQ(readDate("1/2/85").reason, "Năm phải đủ bốn chữ số");
}

class ListImportTest : public MainWindowTest {
protected:
    // The payroll rows' values in the sheet document, row by row from row 38.
    void expectLanded(const std::vector<testing::PayrollRow>& rows, int firstRow) {
        int row = firstRow;
        for (const testing::PayrollRow& r : rows) {
            if (!r.badReason.empty()) continue;
            const auto at = [&](const char* column) { return stored(0, std::string(column) + "_" + std::to_string(row)); };
            ASSERT_EQ(at("K"), r.name) << row;
            EXPECT_EQ(at("D"), std::to_string(row - 37)) << row;
            EXPECT_EQ(at("N"), r.birthText) << row;
            EXPECT_EQ(at("P"), r.sexId) << row;
            EXPECT_EQ(at("R"), "00") << row;
            EXPECT_EQ(at("T"), r.idno) << row;
            EXPECT_EQ(at("AA"), r.provinceId) << row;
            EXPECT_EQ(at("AC"), r.districtId) << row;
            EXPECT_EQ(at("AE"), r.wardId) << row;
            // The rules' own reactions: the country, and the second address following the first.
            EXPECT_EQ(at("AG"), "VN") << row;
            EXPECT_EQ(at("AJ"), r.provinceId) << row;
            EXPECT_EQ(at("AN"), r.wardId) << row;
            ++row;
        }
        EXPECT_EQ(grid().textOf(1, col("D"), row), "aa") << "the list ends right after the imported rows";
    }

    // Each bad row is reported at its bad cell with the reason, and nothing else is:
    // the other issues are of cells of the same rows that depend on the bad one.
    static void expectBadRowsReported(const ImportReport& report, const std::vector<testing::PayrollRow>& rows,
                                      int firstDataRow) {
        std::map<int, const testing::PayrollRow*> bad;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (!rows[i].badReason.empty()) bad[firstDataRow + static_cast<int>(i)] = &rows[i];
        std::map<int, bool> found;
        for (const ImportIssue& got : report.issues) {
            ASSERT_EQ(bad.count(got.row), 1u) << report.table();
            EXPECT_TRUE(got.rowLeftOut);
            EXPECT_FALSE(got.value.empty());
            const testing::PayrollRow& r = *bad[got.row];
            if (got.column == grid::columnLetters(r.badColumn + 1)) {
                EXPECT_EQ(got.reason.rfind(r.badReason, 0), 0u) << got.reason;
                found[got.row] = true;
            }
        }
        EXPECT_EQ(found.size(), bad.size()) << report.table();
    }

    // Received values of every Cell of the first sheet's data file.
    static std::map<std::string, std::string> savedValues(const fs::path& file) {
        std::map<std::string, std::string> out;
        const auto doc = xml::Document::fromFile(file.string());
        for (const xml::Node& c : doc->elementsByTagName("Cell"))
            out[GetAttributeValue(c, "CellID")] = GetAttributeValue(c, "Value");
        return out;
    }
};

TEST_F(ListImportTest, APayrollWorkbookLandsAsTypedAndItsBadRowsAreReported) {
    open();
    if (HasFatalFailure()) return;
    const auto rows = testing::makePayroll(500, true);
    const fs::path file = tree_->root() / "bảng lương.xlsx";
    testing::writePayrollXlsx(rows, file.string());

    const SourceTable table = readSourceTable(file.string());
    ASSERT_EQ(table.headerRow, 3) << "below the titles";
    const ColumnMapping mapping = guessMapping(table.rows[3]);
    EXPECT_EQ(formatMapping(mapping), "name=B,birth=C,sex=D,nationality=E,idno=F,street=G,province=H,district=I,ward=J");
    const ImportReport report = importList(*controller_, table, mapping);
    EXPECT_EQ(report.failure, "");
    EXPECT_EQ(report.dataRows, 500);
    EXPECT_EQ(report.imported, 495);
    EXPECT_EQ(report.leftOut, 5);
    EXPECT_EQ(report.firstListRow, 38) << "the blank declaration's empty row is used first";
    EXPECT_EQ(report.lastListRow, 38 + 494);
    expectBadRowsReported(report, rows, 5);
    expectLanded(rows, 38);
    // The completion checks ran over the new rows.
    EXPECT_EQ(grid().textOf(1, col("Q"), 19), "495");
    EXPECT_EQ(errorLog(), "");
    // Undo cannot take an import apart edit by edit.
    EXPECT_FALSE(controller_->history().canUndo());

    // Saved and opened again, the list is the same.
    ASSERT_TRUE(controller_->UpdateData(true)) << errorLog();
    const auto saved = savedValues(dataFile("TK_DKT.xml"));
    controller_->cmdExit_Click();
    controller_ = makeController();
    open();
    if (HasFatalFailure()) return;
    expectLanded(rows, 38);

    // A second import appends below the rows already there.
    const auto more = testing::makePayroll(3, false);
    const fs::path csv = tree_->root() / "more.csv";
    writeFile(csv, testing::payrollCsv(more, ';'));
    const SourceTable second = readSourceTable(csv.string());
    const ImportReport again = importList(*controller_, second, guessMapping(second.rows[0]));
    EXPECT_EQ(again.imported, 3) << again.table();
    EXPECT_EQ(again.firstListRow, 38 + 495);
    EXPECT_EQ(stored(0, "K_533"), more[0].name);
    EXPECT_EQ(stored(0, "D_535"), "498");
    EXPECT_EQ(stored(0, "K_532"), saved.at("K_532")) << "earlier rows untouched";
}

// Imported rows are what typing them row by row with F5 leaves in the sheet
// document: the same values, catalogue ids, sequence numbers and row identifiers.
TEST_F(ListImportTest, ImportedRowsEqualTheSameRowsTypedWithF5) {
    const std::vector<std::vector<std::string>> rows = {
        {"1234567893-001", "Nguyễn Văn An", "01/02/1985", "Nam", "Việt Nam", "001085000001", "12 Phố Huế",
         "Thành phố Hà Nội", "Quận Ba Đình", "Phường Phúc Xá", "", "05/01/2026"},
        {"", "Trần Thị Bình", "15/07/1990", "Nữ", "Việt Nam", "001190000002", "3 Lê Lợi",
         "Thành phố Hồ Chí Minh", "Quận 1", "Phường Tân Định", "Pháp", ""},
        {"", "Lê Văn Cường", "28/02/1979", "Nam", "Việt Nam", "001079000003", "", "Thành phố Hà Nội",
         "Quận Hoàn Kiếm", "Phường Phúc Tân", "", ""}};
    const char* columns[] = {"G", "K", "N", "Q", "S", "T", "Z", "AB", "AD", "AF", "AH", "AU"};
    open();
    if (HasFatalFailure()) return;
    grid().userShowSheet(1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int row = 38 + static_cast<int>(r);
        if (r > 0) {
            grid().userMoveTo(col("K"), row - 1);
            grid().userKeyUp(grid::keys::kF5, 0);
        }
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].empty()) grid().userEdit(col(columns[c]), row, rows[r][c]);
        // F5 starts a row with the start date of the row above; the file has none for
        // it, and the import leaves it empty, as a typist clearing it would.
        if (rows[r].back().empty()) grid().userEdit(col("AU"), row, "");
    }
    grid().userMoveTo(col("K"), 38);
    const std::string typed = clsVariables().Data(0)->toString();
    // Closed without saving: the next start opens a blank declaration again.
    controller_->ResetAdjustData();
    controller_->cmdExit_Click();
    controller_ = makeController();
    open();
    if (HasFatalFailure()) return;
    SourceTable table;
    table.rows.push_back({"MST", "Họ tên", "Ngày sinh", "Giới tính", "Quốc tịch", "Số CCCD", "Địa chỉ", "Tỉnh",
                          "Quận/Huyện", "Phường/Xã", "Quốc gia", "Ngày vào làm"});
    for (const auto& r : rows) table.rows.push_back(r);
    table.headerRow = 0;
    const ImportReport report = importList(*controller_, table, guessMapping(table.rows[0]));
    ASSERT_EQ(report.imported, 3) << report.table();
    EXPECT_TRUE(report.issues.empty()) << report.table();
    EXPECT_EQ(clsVariables().Data(0)->toString(), typed);
    EXPECT_EQ(stored(0, "G_38"), "1234567893-001") << "the tax code's own rule ran";
}

TEST_F(ListImportTest, TheCommandLineImportsACsvToTheSameDeclaration) {
    const auto rows = testing::makePayroll(500, true);
    // The same rows through the engine from the workbook...
    open();
    if (HasFatalFailure()) return;
    const fs::path xlsx = tree_->root() / "payroll.xlsx";
    testing::writePayrollXlsx(rows, xlsx.string());
    const SourceTable table = readSourceTable(xlsx.string());
    ASSERT_EQ(importList(*controller_, table, guessMapping(table.rows[3])).imported, 495);
    ASSERT_TRUE(controller_->UpdateData(true)) << errorLog();
    const auto expected = savedValues(dataFile("TK_DKT.xml"));
    controller_.reset();

    // ... and through the installed program from a CSV with a BOM, in a fresh tree.
    ui::tools::TempInstallTree fresh(ZEVO_DIST_DIR, ZEVO_BUSINESS_DIR, "zevo-list-import-cli");
    fs::copy_file(ZEVO_DIST_DIR "/Bin/zevo", fresh.bin() / "zevo");
    const fs::path csv = fresh.root() / "payroll.csv";
    writeFile(csv, "\xEF\xBB\xBF" + testing::payrollCsv(rows));
    const fs::path runtime = fresh.root() / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const std::string command =
        "env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR='" + runtime.string() + "' '" + (fresh.bin() / "zevo").string() +
        "' --import-list '" + csv.string() +
        "' --map name=B,birth=C,sex=D,nationality=E,idno=F,street=G,province=H,district=I,ward=J >'" +
        (fresh.root() / "out.txt").string() + "' 2>'" + (fresh.root() / "err.txt").string() + "'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    const std::string out = readFile(fresh.root() / "out.txt"), err = readFile(fresh.root() / "err.txt");
    EXPECT_EQ(WEXITSTATUS(raw), 3) << err;
    EXPECT_NE(err.find("Đã nhập 495 dòng, 5 dòng không nhập."), std::string::npos) << err;
    // The report: a heading and one line per bad row, with the file's row (header = row 1).
    std::map<std::string, int> reportedRows;
    for (std::size_t at = out.find('\n') + 1; at < out.size(); at = out.find('\n', at) + 1)
        ++reportedRows[out.substr(at, out.find('\t', at) - at)];
    EXPECT_EQ(reportedRows.size(), 5u) << out;
    EXPECT_NE(out.find("51\tC\tNgày sinh\t31/02/1985\tNgày không có thật"), std::string::npos) << out;
    EXPECT_EQ(savedValues(fresh.dataFolder() / "TK_DKT.xml"), expected);

    // A --map naming an unknown field is a bad argument.
    const std::string bad = "env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR='" + runtime.string() + "' '" +
                            (fresh.bin() / "zevo").string() + "' --import-list x.csv --map nom=B 2>/dev/null";
    const int badRaw = std::system(bad.c_str());
    EXPECT_EQ(WEXITSTATUS(badRaw), 2);
}

}  // namespace
}  // namespace zevo::engine::test

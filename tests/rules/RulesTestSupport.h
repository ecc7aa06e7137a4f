#pragma once
// A session for rule tests: a validity node pointing at the test catalogues, sheet
// documents in the session, the error log in a private folder, a scripted message
// presenter, and a grid built in memory with the declaration's list layout.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "zevo/ErrorLog.h"
#include "zevo/ScriptedMessagePresenter.h"
#include "zevo/Xml.h"
#include "zevo/clsMessageBox.h"
#include "zevo/clsVariables.h"
#include "zevo/grid/ColumnLetters.h"
#include "zevo/grid/SpreadModel.h"
#include "zevo/rules/DateFormat.h"
#include "zevo/rules/RuleObject.h"

namespace zevo::rules::test {

inline int col(const char* letters) { return grid::columnNumber(letters); }

// A sheet document with one Cell (Value "") per address, "CellID" declared an ID.
inline xml::DocumentPtr sheetDocument(int maxCol, int maxRow) {
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<!DOCTYPE Sections [<!ATTLIST Cell CellID ID #IMPLIED>]>\n<Sections><Section><Cells>";
    for (int r = 1; r <= maxRow; ++r)
        for (int c = 1; c <= maxCol; ++c)
            xml << "<Cell CellID=\"" << grid::columnLetters(c) << "_" << r << "\" Value=\"\"/>";
    xml << "</Cells></Section></Sections>";
    xml::LoadResult result;
    auto doc = xml::Document::fromString(xml.str(), &result, xml::Trust::Installed);
    EXPECT_TRUE(result.ok()) << result.reason;
    return doc;
}

// The process's local time zone set to a POSIX rule for the scope ("<+14>-14" is
// UTC+14; such rules need no time-zone database).
class LocalZone {
public:
    explicit LocalZone(const char* rule) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", rule, 1);
        ::tzset();
    }
    ~LocalZone() {
        if (old_) ::setenv("TZ", old_->c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }
    LocalZone(const LocalZone&) = delete;
    LocalZone& operator=(const LocalZone&) = delete;

private:
    std::optional<std::string> old_;
};

// The calendar date now at a fixed offset east of UTC, computed without the local zone.
inline Date dateAtOffset(int hoursEast) {
    return Date{std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now() +
                                                      std::chrono::hours(hoursEast))};
}

// Today in the process's local zone, as the C library sees it.
inline Date localToday() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    return Date{std::chrono::year{tm.tm_year + 1900}, std::chrono::month{static_cast<unsigned>(tm.tm_mon + 1)},
                std::chrono::day{static_cast<unsigned>(tm.tm_mday)}};
}

// Zones on both sides of the date line: at any hour one of them is on another
// calendar day than UTC.
struct ZoneCase {
    const char* rule;
    int hoursEast;
};
inline constexpr ZoneCase kFarZones[] = {{"<+14>-14", 14}, {"<-12>+12", -12}};

inline std::string storedValue(int sheetIndex, const std::string& cellId) {
    xml::Node cell = clsVariables().Data(sheetIndex)->elementById(cellId);
    return cell.attribute("Value").value_or("<no cell>");
}

class RulesSession : public ::testing::Test {
protected:
    // Sheet 1: list rows from 38, sheet 2 from 5; the last sheet holds the messages.
    static constexpr int kSheet1Rows = 45, kSheet1Cols = 50;
    static constexpr int kSheet2Rows = 45, kSheet2Cols = 165;

    void SetUp() override {
        clsVariables::resetSession();
        logDir_ = std::filesystem::temp_directory_path() /
                  ("zevo-rules-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(logDir_);
        std::filesystem::create_directories(logDir_);
        setErrorLogFolderOverride(logDir_.string());
        presenter_ = std::make_shared<ScriptedMessagePresenter>();
        clsMessageBox::setPresenter(presenter_);
        useCatalogueFolder(std::string(ZEVO_TEST_DATA_DIR) + "/");

        clsVariables vars;
        vars.xmlDataReDim(1);
        vars.Data(0, sheetDocument(kSheet1Cols, kSheet1Rows));
        vars.Data(1, sheetDocument(kSheet2Cols, kSheet2Rows));
    }

    void TearDown() override {
        if (rule_) rule_->fps(nullptr);
        rule_.reset();
        clsMessageBox::setPresenter(nullptr);
        setErrorLogFolderOverride("");
        clsVariables::resetSession();
        std::filesystem::remove_all(logDir_);
    }

    void useCatalogueFolder(const std::string& folder) {
        validity_ = xml::Document::fromString("<Validity><Sheet TemplateFolder=\"" + folder +
                                              "\"/><Sheet/></Validity>");
        clsVariables().NodeValidity(validity_->documentElement());
    }

    // The rule object made through the library's factory.
    RuleObject& rule() {
        if (!rule_) {
            auto* base = static_cast<ComObject*>(::CreateObject("ZEVO_Business.clsZEVO"));
            EXPECT_NE(base, nullptr);
            rule_.reset(static_cast<RuleObject*>(base));
        }
        return *rule_;
    }

    // Two list sheets and the message sheet, every cell open for input. Sheet 1 has
    // list rows 38 .. 37 + rows1 and "aa" below; sheet 2 rows 5 .. 4 + rows2 and "aa"
    // below; column E of the last sheet holds "E<row>" as message texts.
    void buildGrid(int rows1 = 3, int rows2 = 2) {
        grid::WorkbookData book;
        grid::StyleData open;
        open.locked = false;
        book.styles.push_back(open);
        auto addSheet = [&](const std::string& name, int maxCol, int maxRow) -> grid::SheetData& {
            grid::SheetData sheet;
            sheet.name = name;
            sheet.maxCol = maxCol;
            sheet.maxRow = maxRow;
            for (int c = 1; c <= maxCol; ++c) sheet.colStyles[c] = 1;
            book.sheets.push_back(sheet);
            return book.sheets.back();
        };
        auto text = [](int c, int r, const std::string& t) {
            grid::CellData cell;
            cell.col = c;
            cell.row = r;
            cell.type = grid::CellValueType::String;
            cell.text = t;
            cell.style = 1;
            return cell;
        };
        grid::SheetData& first = addSheet("Tờ khai", kSheet1Cols, kSheet1Rows);
        for (int i = 0; i < rows1; ++i) first.cells.push_back(text(col("D"), 38 + i, std::to_string(i + 1)));
        first.cells.push_back(text(col("D"), 38 + rows1, "aa"));
        grid::SheetData& second = addSheet("PL", kSheet2Cols, kSheet2Rows);
        for (int i = 0; i < rows2; ++i) second.cells.push_back(text(col("B"), 5 + i, std::to_string(i + 1)));
        second.cells.push_back(text(col("B"), 5 + rows2, "aa"));
        grid::SheetData& header = addSheet("Header", 10, 50);
        for (int r = 10; r <= 49; ++r) header.cells.push_back(text(col("E"), r, "E" + std::to_string(r)));
        grid_.fromWorkbookData(book);
        grid_.setSheet(1);
        grid_.setActiveSheet(1);
    }

    // The grid handed to the rule object, as the main window does.
    RuleObject& attach() {
        rule().fps(&grid_);
        return rule();
    }

    std::string text(int sheet, const char* column, int row) {
        grid_.setSheet(sheet);
        return grid_.textAt(col(column), row);
    }
    void put(int sheet, const char* column, int row, const std::string& value) {
        grid_.setSheet(sheet);
        grid_.setTextAt(col(column), row, value);
    }
    std::string comboListOf(int sheet, const char* column, int row) {
        grid_.setPosition(sheet, col(column), row);
        return grid_.comboList();
    }
    std::string noteOf(int sheet, const char* column, int row) {
        grid_.setPosition(sheet, col(column), row);
        return grid_.note();
    }
    bool marked(int sheet, const char* column, int row) {
        grid_.setPosition(sheet, col(column), row);
        return grid_.backColor() == 12632319u;
    }
    // The user edits a cell of the displayed sheet (Change reaches the rules).
    void edit(int sheet, const char* column, int row, const std::string& value) {
        grid_.setActiveSheet(sheet);
        grid_.userEdit(col(column), row, value);
    }
    void keyOn(int sheet, const char* column, int row, int key) {
        grid_.setActiveSheet(sheet);
        grid_.setSheet(sheet);
        grid_.setActiveCell(col(column), row);
        grid_.userKeyUp(key, 0);
    }

    // Complete entries in the error log.
    int logEntries() const {
        std::ifstream in(logDir_ / "LogFile.txt");
        std::string line;
        int n = 0;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line == std::string(60, '-')) ++n;
        }
        return n;
    }
    std::string logText() const {
        std::ifstream in(logDir_ / "LogFile.txt");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path logDir_;
    std::shared_ptr<ScriptedMessagePresenter> presenter_;
    xml::DocumentPtr validity_;
    grid::SpreadModel grid_;
    std::unique_ptr<RuleObject> rule_;
};

}  // namespace zevo::rules::test

#include <gtest/gtest.h>

#include <chrono>

#include "RulesTestSupport.h"
#include "zevo/rules/DateFormat.h"

namespace zevo::rules::test {
namespace {

constexpr const char* kAllProvinces = "Hà Nội\tHải Phòng\tHồ Chí Minh\t";
constexpr const char* kAllDistricts = "Ba Đình\tHoàn Kiếm\tTrung Tâm\tHồng Bàng\tTrung Tâm\tLê Chân\t";
constexpr const char* kHaNoiDistricts = "Ba Đình\tHoàn Kiếm\tTrung Tâm\t";
constexpr const char* kAllTaxOffices =
    "Chi cục Thuế Ba Đình\tChi cục Thuế Hoàn Kiếm\tChi cục Thuế Hồng Bàng\t";
constexpr const char* kHaNoiTaxOffices = "Chi cục Thuế Ba Đình\tChi cục Thuế Hoàn Kiếm\t";

class RuleGridTest : public RulesSession {
protected:
    void prepared(int rows1 = 3, int rows2 = 2) {
        buildGrid(rows1, rows2);
        attach().Prepare1();
    }
};

TEST_F(RuleGridTest, Prepare1GivesPickListsDateCellsAndToday) {
    prepared();
    EXPECT_EQ(comboListOf(1, "Q", 38), "Nam\tNữ\t");
    EXPECT_EQ(comboListOf(1, "S", 38), "Việt Nam\tKhông quốc tịch\tPháp\t");
    EXPECT_EQ(comboListOf(1, "AH", 38), "Việt Nam\tPháp\t");
    for (const char* c : {"V", "AB", "AK"}) EXPECT_EQ(comboListOf(1, c, 38), kAllProvinces) << c;
    for (const char* c : {"AD", "AM"}) EXPECT_EQ(comboListOf(1, c, 38), kAllDistricts) << c;
    for (const char* c : {"AF", "AO"})
        EXPECT_EQ(comboListOf(1, c, 38), "Phúc Xá\tTrúc Bạch\tPhúc Tân\tPhúc Xá\t") << c;
    EXPECT_EQ(comboListOf(1, "L", 13),
              "HNI - Cục Thuế Hà Nội\tHPH - Cục Thuế Hải Phòng\tKCC - Cục Thuế Không Chi Cục\t");
    EXPECT_EQ(comboListOf(1, "L", 15), kAllTaxOffices);
    for (const char* c : {"N", "U", "X", "AU"}) {
        grid_.setPosition(1, col(c), 38);
        EXPECT_EQ(grid_.cellType(), grid::CellType::Masked) << c;
        EXPECT_EQ(grid_.mask(), "99//99//9999") << c;
    }
    EXPECT_EQ(text(1, "L", 19), FormatDateText(localToday(), "DD/MM/YYYY"));
    EXPECT_EQ(storedValue(0, "L_19"), "");
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(RuleGridTest, Prepare1DatesTheDeclarationInTheLocalZone) {
    for (const ZoneCase& zone : kFarZones) {
        LocalZone local(zone.rule);
        prepared();
        EXPECT_EQ(text(1, "L", 19), FormatDateText(dateAtOffset(zone.hoursEast), "DD/MM/YYYY"))
            << zone.rule;
    }
}

TEST_F(RuleGridTest, Prepare2NumbersRowsAndShowsStoredIds) {
    prepared(3);
    put(1, "O", 13, "101");
    put(1, "O", 15, "10103");
    for (int r = 38; r <= 40; ++r) put(1, "D", r, "9");
    put(1, "K", 38, "Nguyễn Văn A");
    put(1, "K", 40, "Trần Thị B");
    put(1, "K", 39, "   ");
    put(1, "P", 38, "2");
    put(1, "R", 38, "98");
    put(1, "AA", 38, "31");
    put(1, "AC", 38, "304");
    put(1, "AG", 38, "FR");
    put(1, "AJ", 38, "01");
    put(1, "AL", 38, "002");   // also a district of Hải Phòng: the first in the level wins
    put(1, "AN", 38, "00037");
    put(1, "P", 39, "7");      // not in the catalogue
    put(1, "Q", 39, "stale");
    attach().Prepare2();

    EXPECT_EQ(text(1, "D", 38), "1");
    EXPECT_EQ(text(1, "D", 39), "2");
    EXPECT_EQ(text(1, "D", 40), "3");
    EXPECT_EQ(text(1, "Q", 19), "2");
    EXPECT_EQ(storedValue(0, "Q_19"), "");

    EXPECT_EQ(text(1, "Q", 38), "Nữ");
    EXPECT_EQ(text(1, "Q", 39), "");
    EXPECT_EQ(text(1, "S", 38), "Không quốc tịch");
    EXPECT_EQ(text(1, "AB", 38), "Hải Phòng");
    EXPECT_EQ(text(1, "AD", 38), "Trung Tâm");
    EXPECT_EQ(text(1, "AC", 38), "304");
    EXPECT_EQ(text(1, "AK", 38), "Hà Nội");
    EXPECT_EQ(text(1, "AM", 38), "Hoàn Kiếm");
    EXPECT_EQ(text(1, "AO", 38), "Phúc Tân");
    EXPECT_EQ(text(1, "AN", 38), "00037");
    EXPECT_EQ(storedValue(0, "AB_38"), "Hải Phòng");
    EXPECT_EQ(comboListOf(1, "AD", 38), "Hồng Bàng\tTrung Tâm\tLê Chân\t");
    EXPECT_EQ(comboListOf(1, "AM", 38), kHaNoiDistricts);
    EXPECT_EQ(comboListOf(1, "AO", 38), "Phúc Tân\t");

    EXPECT_EQ(text(1, "L", 13), "HNI - Cục Thuế Hà Nội");
    EXPECT_EQ(storedValue(0, "L_13"), "HNI - Cục Thuế Hà Nội");
    EXPECT_EQ(storedValue(0, "O_13"), "101");
    EXPECT_EQ(text(1, "L", 15), "Chi cục Thuế Hoàn Kiếm");
    EXPECT_EQ(storedValue(0, "O_15"), "10103");
    EXPECT_EQ(comboListOf(1, "L", 15), kHaNoiTaxOffices);
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(RuleGridTest, Prepare2WithoutDepartmentFallsBackToAllOffices) {
    prepared(1);
    grid_.setPosition(1, col("L"), 15);
    grid_.setCellType(grid::CellType::ComboBox);
    attach().Prepare2();
    EXPECT_EQ(text(1, "L", 13), "");
    EXPECT_EQ(comboListOf(1, "L", 15), kAllTaxOffices);
    // The empty office cell takes the first office of its list.
    EXPECT_EQ(text(1, "L", 15), "Chi cục Thuế Ba Đình");
    EXPECT_EQ(storedValue(0, "O_15"), "10101");
    EXPECT_EQ(storedValue(0, "O_13"), "");
    EXPECT_EQ(text(1, "Q", 19), "0");
}

TEST_F(RuleGridTest, Prepare2StopsAtTheLastRowWithoutEndMarker) {
    prepared(3);
    for (int r = 38; r <= kSheet1Rows; ++r) put(1, "D", r, "");
    put(1, "K", kSheet1Rows, "last");
    attach().Prepare2();
    EXPECT_EQ(text(1, "D", kSheet1Rows), std::to_string(kSheet1Rows - 37));
    EXPECT_EQ(text(1, "Q", 19), "1");
}

TEST_F(RuleGridTest, ProvinceDistrictAndWardPicksFillIdsListsAndSecondAddress) {
    prepared();
    edit(1, "AB", 38, "Hà Nội");
    EXPECT_EQ(text(1, "AA", 38), "01");
    EXPECT_EQ(text(1, "AK", 38), "Hà Nội");
    EXPECT_EQ(text(1, "AJ", 38), "01");
    EXPECT_EQ(comboListOf(1, "AD", 38), kHaNoiDistricts);
    EXPECT_EQ(comboListOf(1, "AM", 38), kHaNoiDistricts);
    EXPECT_EQ(storedValue(0, "AA_38"), "01");
    EXPECT_EQ(storedValue(0, "AB_38"), "Hà Nội");
    EXPECT_EQ(storedValue(0, "AK_38"), "Hà Nội");
    EXPECT_EQ(storedValue(0, "AJ_38"), "01");

    edit(1, "AD", 38, "Ba Đình");
    EXPECT_EQ(text(1, "AC", 38), "001");
    EXPECT_EQ(text(1, "AM", 38), "Ba Đình");
    EXPECT_EQ(text(1, "AL", 38), "001");
    EXPECT_EQ(comboListOf(1, "AF", 38), "Phúc Xá\tTrúc Bạch\t");
    EXPECT_EQ(comboListOf(1, "AO", 38), "Phúc Xá\tTrúc Bạch\t");

    // The same ward name exists in Hải Phòng; the chosen district decides.
    edit(1, "AF", 38, "Phúc Xá");
    EXPECT_EQ(text(1, "AE", 38), "00001");
    EXPECT_EQ(text(1, "AO", 38), "Phúc Xá");
    EXPECT_EQ(text(1, "AN", 38), "00001");
    EXPECT_EQ(storedValue(0, "AN_38"), "00001");

    // A second address that is already filled is left alone.
    put(1, "AK", 39, "Hải Phòng");
    edit(1, "AB", 39, "Hà Nội");
    EXPECT_EQ(text(1, "AK", 39), "Hải Phòng");
    EXPECT_EQ(text(1, "AJ", 39), "");
    EXPECT_EQ(text(1, "AA", 39), "01");

    // A district with the same name under another province is resolved under its own.
    edit(1, "AK", 39, "Hải Phòng");
    edit(1, "AM", 39, "Trung Tâm");
    EXPECT_EQ(text(1, "AL", 39), "304");
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(RuleGridTest, DeleteOnProvinceClearsIdAndRestoresAllDistricts) {
    prepared();
    edit(1, "AB", 38, "Hà Nội");
    edit(1, "AD", 38, "Hoàn Kiếm");
    keyOn(1, "AB", 38, grid::keys::kDelete);
    EXPECT_EQ(text(1, "AA", 38), "");
    EXPECT_EQ(storedValue(0, "AB_38"), "");
    EXPECT_EQ(comboListOf(1, "AD", 38), kAllDistricts);
    // The district text stays and is looked up across the whole level.
    EXPECT_EQ(text(1, "AD", 38), "Hoàn Kiếm");
    EXPECT_EQ(text(1, "AC", 38), "002");
    EXPECT_TRUE(grid_.eventsEnabled());
}

TEST_F(RuleGridTest, DeleteOnCountryClearsItsId) {
    prepared();
    edit(1, "AH", 38, "Pháp");
    ASSERT_EQ(text(1, "AG", 38), "FR");
    put(1, "AH", 38, "");
    keyOn(1, "AH", 38, grid::keys::kDelete);
    EXPECT_EQ(text(1, "AG", 38), "");
    EXPECT_EQ(storedValue(0, "AG_38"), "") << "the country must not come back on reopening";
    EXPECT_EQ(storedValue(0, "AH_38"), "");
    EXPECT_TRUE(grid_.eventsEnabled());
}

TEST_F(RuleGridTest, SexNationalityCountryAndCopiedCells) {
    prepared();
    edit(1, "Q", 38, "Nữ");
    EXPECT_EQ(text(1, "P", 38), "2");
    EXPECT_EQ(storedValue(0, "Q_38"), "Nữ");
    edit(1, "Q", 38, "nữ");
    EXPECT_EQ(text(1, "P", 38), "");

    edit(1, "S", 38, "Không quốc tịch");
    EXPECT_EQ(text(1, "R", 38), "98");
    EXPECT_EQ(text(1, "Y", 38), "KQT");
    EXPECT_EQ(storedValue(0, "Y_38"), "KQT");
    edit(1, "S", 38, "Pháp");
    EXPECT_EQ(text(1, "R", 38), "12");
    EXPECT_EQ(text(1, "Y", 38), "KQT");

    edit(1, "AH", 38, "Việt Nam");
    EXPECT_EQ(text(1, "AG", 38), "VN");
    EXPECT_EQ(text(1, "R", 38), "12");

    edit(1, "Z", 38, "Số 1 phố Huế");
    EXPECT_EQ(text(1, "AI", 38), "Số 1 phố Huế");
    EXPECT_EQ(storedValue(0, "AI_38"), "Số 1 phố Huế");

    // Header rows are no individual rows.
    edit(1, "Q", 30, "Nam");
    EXPECT_EQ(text(1, "P", 30), "");
}

TEST_F(RuleGridTest, EditedDatesAreNormalisedOnBothSheets) {
    prepared();
    edit(1, "N", 39, "1/2/09");
    EXPECT_EQ(text(1, "N", 39), "01/02/2009");
    EXPECT_EQ(storedValue(0, "N_39"), "01/02/2009");
    edit(1, "L", 19, "31/02/2010");   // fits the mask, is no date
    EXPECT_EQ(text(1, "L", 19), "");
    EXPECT_EQ(storedValue(0, "L_19"), "");
    edit(1, "AU", 40, "99999/1/2020");
    EXPECT_EQ(text(1, "AU", 40), "");
    // An emptied date also empties its stored value; a valid one is kept as typed.
    put(1, "X", 39, "01/01/2020");
    clsVariables().Data(0)->elementById("X_39").setAttribute("Value", "stale");
    edit(1, "X", 39, "");
    EXPECT_EQ(storedValue(0, "X_39"), "");
    edit(1, "X", 38, "29/02/2012");
    EXPECT_EQ(text(1, "X", 38), "29/02/2012");

    edit(2, "C", 5, "1/2/09");
    EXPECT_EQ(text(2, "C", 5), "01/02/2009");
    EXPECT_EQ(storedValue(1, "C_5"), "01/02/2009");
    edit(2, "BW", 5, "5/7");
    EXPECT_EQ(text(2, "BW", 5), "05/07");
    EXPECT_EQ(storedValue(1, "BW_5"), "05/07");
    // Sheet 2 has no pick-list rules on edit.
    edit(2, "I", 5, "Hà Nội");
    EXPECT_EQ(text(2, "H", 5), "");
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(RuleGridTest, TaxDepartmentAndOfficePicks) {
    prepared();
    edit(1, "L", 13, "HNI - Cục Thuế Hà Nội");
    EXPECT_EQ(storedValue(0, "O_13"), "101");
    EXPECT_EQ(comboListOf(1, "L", 15), kHaNoiTaxOffices);
    EXPECT_EQ(text(1, "L", 15), "Chi cục Thuế Ba Đình");
    EXPECT_EQ(text(1, "O", 15), "10101");
    EXPECT_EQ(storedValue(0, "O_15"), "10101");

    edit(1, "L", 15, "Chi cục Thuế Hoàn Kiếm");
    EXPECT_EQ(storedValue(0, "O_15"), "10103");
    EXPECT_EQ(storedValue(0, "L_15"), "Chi cục Thuế Hoàn Kiếm");

    // Without " - " the value is read from the third character on.
    edit(1, "L", 13, "xyCục Thuế Hải Phòng");
    EXPECT_EQ(storedValue(0, "O_13"), "103");
    EXPECT_EQ(comboListOf(1, "L", 15), "Chi cục Thuế Hồng Bàng\t");

    // Delete on the department: no id, every office offered, the first one chosen.
    put(1, "L", 15, "");
    keyOn(1, "L", 13, grid::keys::kDelete);
    EXPECT_EQ(storedValue(0, "O_13"), "");
    EXPECT_EQ(comboListOf(1, "L", 15), kAllTaxOffices);
    EXPECT_EQ(text(1, "L", 15), "Chi cục Thuế Ba Đình");
    EXPECT_EQ(storedValue(0, "O_15"), "10101");
}

TEST_F(RuleGridTest, LeavingTaxCodeCellsChecksThem) {
    prepared();
    edit(1, "G", 38, "1234.567.893-001");
    grid_.userMoveTo(col("H"), 38);
    EXPECT_EQ(text(1, "G", 38), "1234567893-001");
    EXPECT_EQ(storedValue(0, "G_38"), "1234567893-001");

    edit(1, "K", 9, "1234567890");
    grid_.userMoveTo(col("K"), 10);
    EXPECT_EQ(text(1, "K", 9), "1234567890");
    EXPECT_EQ(storedValue(0, "K_9"), "");

    edit(2, "EF", 6, "1234567893001");
    grid_.userMoveTo(col("EG"), 6);
    EXPECT_EQ(text(2, "EF", 6), "1234567893-001");
    EXPECT_EQ(storedValue(1, "EF_6"), "1234567893-001");
}

TEST_F(RuleGridTest, WithoutGridTheRulesHearNothing) {
    prepared();
    rule().fps(nullptr);
    edit(1, "Q", 38, "Nam");
    EXPECT_EQ(text(1, "P", 38), "");
    rule().fps(&grid_);
    edit(1, "Q", 38, "Nữ");
    EXPECT_EQ(text(1, "P", 38), "2");
}

TEST_F(RuleGridTest, F6RenumbersSheet1AndCountsFilledRows) {
    prepared(4);
    const char* numbers[] = {"1", "3", "4", "9"};
    for (int i = 0; i < 4; ++i) put(1, "D", 38 + i, numbers[i]);
    put(1, "K", 38, "A");
    put(1, "K", 40, "C");
    keyOn(1, "G", 39, grid::keys::kF6);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(text(1, "D", 38 + i), std::to_string(i + 1));
    EXPECT_EQ(storedValue(0, "D_39"), "2");
    EXPECT_EQ(text(1, "D", 42), "aa");
    EXPECT_EQ(text(1, "Q", 19), "2");
    EXPECT_TRUE(grid_.eventsEnabled());

    // At or above the header row nothing happens.
    put(1, "D", 38, "5");
    keyOn(1, "G", 37, grid::keys::kF6);
    keyOn(1, "G", 37, grid::keys::kF5);
    EXPECT_EQ(text(1, "D", 38), "5");
    keyOn(1, "G", 38, grid::keys::kEscape);
    EXPECT_EQ(text(1, "D", 38), "5");
    EXPECT_TRUE(grid_.eventsEnabled());
}

TEST_F(RuleGridTest, F5RenumbersAndPreparesTheNewRow) {
    prepared(3, 3);
    put(1, "AU", 38, "01/01/2020");
    put(1, "D", 38, "7");
    put(1, "AD", 39, "Ba Đình");
    keyOn(1, "AB", 38, grid::keys::kF5);
    EXPECT_EQ(text(1, "D", 38), "1");
    EXPECT_EQ(text(1, "AU", 39), "01/01/2020");
    EXPECT_EQ(storedValue(0, "AU_39"), "01/01/2020");
    EXPECT_EQ(comboListOf(1, "AD", 39), kAllDistricts);
    EXPECT_EQ(comboListOf(1, "AM", 39), kAllDistricts);
    EXPECT_EQ(text(1, "AC", 39), "001");
    grid_.setSheet(1);
    EXPECT_EQ(grid_.activeCol(), col("G"));
    EXPECT_EQ(grid_.activeRow(), 39);

    // The new row stays empty until a name is typed; then its nationality and
    // country start as Viet Nam, with their ids. A choice already made stays.
    EXPECT_EQ(text(1, "AH", 39), "");
    EXPECT_EQ(text(1, "S", 39), "");
    edit(1, "K", 39, "Trần Thị Bình");
    EXPECT_EQ(text(1, "AH", 39), "Việt Nam");
    EXPECT_EQ(storedValue(0, "AH_39"), "Việt Nam");
    EXPECT_EQ(text(1, "AG", 39), "VN");
    EXPECT_EQ(text(1, "S", 39), "Việt Nam");
    EXPECT_EQ(storedValue(0, "S_39"), "Việt Nam");
    EXPECT_EQ(text(1, "R", 39), "00");
    put(1, "AH", 38, "Pháp");
    put(1, "S", 38, "Pháp");
    edit(1, "K", 38, "Jean Dupont");
    EXPECT_EQ(text(1, "AH", 38), "Pháp");
    EXPECT_EQ(text(1, "S", 38), "Pháp");

    // A locked date cell below keeps its text.
    grid_.setPosition(1, col("AU"), 40);
    grid_.setLocked(true);
    keyOn(1, "AB", 39, grid::keys::kF5);
    EXPECT_EQ(text(1, "AU", 40), "");

    EXPECT_EQ(logEntries(), 0);
}

TEST_F(RuleGridTest, F5OnSheet2RenumbersItsListOnly) {
    prepared(3, 35);   // list rows 5 .. 39
    for (int r = 5; r <= 39; ++r) put(2, "B", r, "4");
    // Above the sheet's own first list row the keys do nothing.
    keyOn(2, "C", 4, grid::keys::kF6);
    EXPECT_EQ(text(2, "B", 5), "4");
    // A short list is renumbered from its first row (rows 5 .. 37 included).
    keyOn(2, "C", 6, grid::keys::kF6);
    for (int r = 5; r <= 39; ++r) EXPECT_EQ(text(2, "B", r), std::to_string(r - 4));
    for (int r = 5; r <= 39; ++r) put(2, "B", r, "4");

    put(1, "AU", 38, "01/01/2020");
    put(2, "K", 39, "Ba Đình");
    keyOn(2, "C", 38, grid::keys::kF5);
    for (int r = 5; r <= 39; ++r) EXPECT_EQ(text(2, "B", r), std::to_string(r - 4));
    EXPECT_EQ(text(2, "B", 40), "aa");
    EXPECT_EQ(storedValue(1, "B_5"), "");   // sequence numbers of this sheet live in the grid
    EXPECT_EQ(comboListOf(2, "K", 39), kAllDistricts);
    EXPECT_EQ(text(2, "J", 39), "001");
    // Sheet 1 is not written from sheet 2's rows.
    EXPECT_EQ(text(1, "AU", 39), "");
    EXPECT_EQ(logEntries(), 0);
}

TEST_F(RuleGridTest, KeyHandlerErrorIsLoggedAndEventsComeBack) {
    prepared(3, 35);
    clsVariables().xmlDataReDim(0, true);   // sheet 2 loses its document
    keyOn(2, "C", 38, grid::keys::kF5);
    EXPECT_EQ(logEntries(), 1);
    EXPECT_NE(logText().find("fps_KeyUp"), std::string::npos);
    EXPECT_TRUE(grid_.eventsEnabled());
}

TEST_F(RuleGridTest, DeleteEnableAsksOnlyForRowsWithContent) {
    prepared(3);
    std::int16_t f6 = grid::keys::kF6, f5 = grid::keys::kF5, shift = 0;
    put(1, "G", 39, "0");
    put(1, "K", 39, "000");
    put(1, "N", 39, "../../....");
    grid_.setSheet(1);
    grid_.setActiveCell(col("A"), 39);
    EXPECT_TRUE(rule().DeleteEnable(f6, shift));
    EXPECT_TRUE(presenter_->shown().empty());

    put(1, "AU", 38, "01/02/2003");
    grid_.setActiveCell(col("A"), 38);
    presenter_->push(mrNo);
    EXPECT_FALSE(rule().DeleteEnable(f6, shift));
    ASSERT_EQ(presenter_->shownIds(), std::vector<std::string>{"0106"});
    EXPECT_EQ(presenter_->shown()[0].style, msYesNo);
    EXPECT_EQ(presenter_->shown()[0].icon, miQuestion);
    EXPECT_EQ(presenter_->shown()[0].defaultButton, mrNo);
    presenter_->push(mrYes);
    EXPECT_TRUE(rule().DeleteEnable(f6, shift));

    presenter_->clear();
    EXPECT_TRUE(rule().DeleteEnable(f5, shift));
    grid_.setActiveCell(col("A"), 37);
    put(1, "AU", 37, "x");
    EXPECT_TRUE(rule().DeleteEnable(f6, shift));
    grid_.setActiveSheet(2);
    grid_.setSheet(2);
    grid_.setActiveCell(col("C"), 38);
    put(2, "G", 38, "content");
    EXPECT_TRUE(rule().DeleteEnable(f6, shift));
    EXPECT_TRUE(rule().InsertEnable(f5, shift));
    EXPECT_TRUE(presenter_->shown().empty());
}

}  // namespace
}  // namespace zevo::rules::test

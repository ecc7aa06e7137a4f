// The reader: round trips through replace and merge, the limits and checks of
// the reader, and all-or-nothing writing of the data files.
#include <gtest/gtest.h>

#include "Declaration.h"
#include "zevo/exchange/BackupRestoreController.h"
#include "zevo/exchange/ExchangeWriter.h"

namespace zevo::exchange::test {
namespace {

class ReaderTest : public DeclarationTest {
protected:
    std::string exported() {
        const std::vector<std::string> book = CreateExcelBook();
        return book[0] + book[3];
    }
    bool restore(const std::string& text, bool merge) {
        ExchangeReader reader(grid_);
        return reader.RestoreDataFile(text, merge);
    }
    std::string dataFile(const char* name) { return readFile(dataPath(name)); }
    std::vector<std::string> listValues(const std::string& column, int first, int count) {
        std::vector<std::string> out;
        for (int r = first; r < first + count; ++r) out.push_back(value(0, column + std::to_string(r)));
        return out;
    }
};

TEST_F(ReaderTest, ReplaceRebuildsTheDeclarationFromTheBlankDocuments) {
    fill(3, 2);
    const std::string list = doc(0)->toString(), pairs = doc(3)->toString();
    const std::string text = exported();
    ASSERT_TRUE(restore(text, false)) << errorLog();
    // The data files hold exactly the documents the file was written from: the
    // same values, added row groups with FirstCell "1", the footer moved down.
    EXPECT_EQ(dataFile("TK"), list);
    EXPECT_EQ(dataFile("BK"), pairs);
    openDataFile(0);
    EXPECT_EQ(value(0, "L_9"), "a~b#c<d");
    EXPECT_EQ(value(0, "B_42"), "footer");
    EXPECT_EQ(documents::GetAttributeValue(doc(0)->elementById("B_32"), "FirstCell"), "1");
    // Sheets the file does not hold are not in use afterwards; their files stay untouched.
    EXPECT_EQ(active(0), "1");
    EXPECT_EQ(active(1), "0");
    EXPECT_EQ(active(2), "0");
    EXPECT_EQ(active(3), "1");
    EXPECT_FALSE(fs::exists(dataPath("U2")));
    EXPECT_TRUE(presenter_->shown().empty());

    // Written again from the imported declaration, the text is the same.
    openDataFile(3);
    EXPECT_EQ(exported(), text);
}

TEST_F(ReaderTest, MergeAddsRowsAndKeepsStaticSections) {
    fill(2, 1);
    const std::string text = exported();
    reopen(0);
    reopen(3);
    fill(1, 1);
    setValue(0, "B_30", "Already here");
    setValue(0, "L_9", "kept");
    setValue(0, "B_40", "my footer");
    ASSERT_TRUE(restore(text, true)) << errorLog();
    openDataFile(0);
    EXPECT_EQ(listValues("B_", 30, 3), std::vector<std::string>({"Already here", "Person 1", "Person 2"}));
    EXPECT_EQ(value(0, "C_31"), "#0");
    EXPECT_EQ(value(0, "L_9"), "kept");
    EXPECT_EQ(value(0, "B_42"), "my footer");
    openDataFile(3);
    EXPECT_EQ(value(3, "B_5"), "pair 0");
    EXPECT_EQ(value(3, "B_7"), "pair 0");
}

TEST_F(ReaderTest, MergeOfAnotherOrganisationsFileIsRefusedAndWritesNothing) {
    fill(1, 1, "0109999999");
    const std::string otherCode = exported();
    reopen(0);
    fill(1, 1, "0101234567", "20200");
    const std::string otherOffice = exported();
    reopen(0);
    fill(1, 1);

    ExchangeReader reader(grid_);
    EXPECT_FALSE(reader.RestoreDataFile(otherCode, true));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0108"}));
    EXPECT_FALSE(restore(otherOffice, true));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0108", "0109"}));
    EXPECT_FALSE(fs::exists(dataPath("TK")));
    EXPECT_FALSE(fs::exists(dataPath("BK")));
    // Once passed, the check is not made again in the same import.
    reader.clearIdentityCheck();
    EXPECT_TRUE(reader.RestoreDataFile(exported(), true));
    EXPECT_TRUE(reader.identityChecked());
}

TEST_F(ReaderTest, TooManyRowsAskAndKeepTheFirstOnesOrStop) {
    fill(4, 1);
    const std::string four = exported();
    reopen(0);
    reopen(3);
    fill(3, 1);
    const std::string three = doc(0)->toString();

    presenter_->push(mrNo);
    EXPECT_FALSE(restore(four, true));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0102"}));
    EXPECT_EQ(presenter_->shown()[0].defaultButton, mrYes);
    EXPECT_FALSE(fs::exists(dataPath("TK")));

    presenter_->push(mrYes);
    ASSERT_TRUE(restore(four, true)) << errorLog();
    openDataFile(0);
    // 3 rows + the first 2 of the file's 4: the limit of 5.
    EXPECT_EQ(section(0, 2).childElements("Cells").size(), 5u);
    EXPECT_EQ(listValues("B_", 30, 5),
              std::vector<std::string>({"Person 1", "Person 2", "Person 3", "Person 1", "Person 2"}));
    EXPECT_EQ(value(0, "B_44"), "footer");
    EXPECT_NE(doc(0)->toString(), three);
}

TEST_F(ReaderTest, FilesThatDoNotFitTheTemplateAreRefused) {
    fill(1, 1);
    const std::string good = exported();
    const auto refused = [&](const std::string& text, const char* id) {
        presenter_->clear();
        EXPECT_FALSE(restore(text, false)) << text;
        EXPECT_EQ(presenter_->shownIds(), Ids({id})) << text;
    };
    refused(good + "x", "0072");                                     // a stray character
    refused("<S1><S><C>1~2~3~4</C></S>", "0072");                    // no closing tag
    refused("", "0072");                                             // no sheet block
    refused("<S9></S9>", "0072");                                    // a sheet the template lacks
    refused("<S1><S><C>1~2~3~4</C></S><S><C>a~b</C></S><S><C>f</C></S><S><C>x</C></S><S><C>y</C></S></S1>",
            "0072");                                                 // more section blocks than sections
    refused("<S1><S><C>1~2~3</C></S></S1>", "0070");                 // one value short
    refused("<S1><S><C></C></S></S1>", "0070");                      // no values for a row that takes some
    refused("<S1><S><C>1~2~3~4</C><C>1~2~3~4</C></S></S1>", "0070"); // two rows for a static section
    refused("<S1><S><C>1~2~<b>3</b>~4</C></S></S1>", "0072");        // markup in a value
    refused("<S1><S><C>1~2~3~&amp</C></S></S1>", "0072");            // not well-formed
    // The empty sheet block is the sheet's tags alone; nothing to write is fine.
    EXPECT_TRUE(restore("<S1></S1>", false));
    EXPECT_FALSE(fs::exists(dataPath("BK")));
}

TEST_F(ReaderTest, AFailureInOneSheetLeavesEverySheetsFileAsItWas) {
    fill(2, 2);
    const std::vector<std::string> book = CreateExcelBook();
    ASSERT_TRUE(restore(book[0] + book[3], false));
    const std::string tk = dataFile("TK"), bk = dataFile("BK");
    // Sheet 1 is fine, sheet 4 has a row of the wrong size: nothing is written.
    presenter_->clear();
    EXPECT_FALSE(restore("<S1><S><C>9~9~9~9</C></S></S1><S4><S><C>1~2~3</C></S></S4>", false));
    EXPECT_EQ(presenter_->shownIds(), Ids({"0070"}));
    EXPECT_EQ(dataFile("TK"), tk);
    EXPECT_EQ(dataFile("BK"), bk);
    // A data folder that cannot be written: the error is shown, nothing is replaced.
    fs::permissions(root_ / "data", fs::perms::owner_read | fs::perms::owner_exec);
    const bool writable = ::access((root_ / "data").c_str(), W_OK) == 0;   // root writes anyway
    presenter_->clear();
    if (!writable) {
        EXPECT_FALSE(restore(book[0] + book[3], false));
        EXPECT_EQ(presenter_->shownIds(), Ids({"0021"}));
        EXPECT_EQ(dataFile("TK"), tk);
    }
    fs::permissions(root_ / "data", fs::perms::owner_all);
}

TEST_F(ReaderTest, AppendingRowsAtOnceEqualsAppendingThemOneByOne) {
    const xml::DocumentPtr one = doc(0)->clone();
    ExchangeReader reader(grid_);
    setValue(0, "B_30", "x");
    documents::SetAttributeValue(one->elementById("B_30"), "Value", "x");
    const xml::Node oneList = one->documentElement().childElements("Section").at(2);
    for (int i = 0; i < 4; ++i) reader.AppendSectionRow(oneList);
    reader.AppendSectionRows(section(0, 2), 4);
    EXPECT_EQ(doc(0)->toString(), one->toString());
    // The new identifiers are found, those below moved by the four rows.
    EXPECT_EQ(value(0, "B_34"), "x");
    EXPECT_FALSE(doc(0)->elementById("B_44").isNull());
    EXPECT_TRUE(doc(0)->elementById("B_40").isNull());
    // Two-row groups move by two rows each.
    reader.AppendSectionRows(section(3, 0), 3);
    EXPECT_FALSE(doc(3)->elementById("C_12").isNull());
    EXPECT_TRUE(doc(3)->elementById("C_13").isNull());
}

}  // namespace
}  // namespace zevo::exchange::test
